#include "PluginUnderTest.h"

#include "AllocationCount.h"

#include <lv2/atom/util.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace quorlin::testing {

namespace {

constexpr std::size_t inputBytes = 65536;

// One world for the program, loaded from LV2_PATH; the build's bundle folder when the
// environment names none (ctest sets it; programs run by hand or under valgrind may not).
LilvWorld* world() {
    static LilvWorld* shared = [] {
        setenv("LV2_PATH", QUORLIN_LV2_TEST_PATH, 0);
        LilvWorld* created = lilv_world_new();
        lilv_world_load_all(created);
        return created;
    }();
    return shared;
}

} // namespace

PluginUnderTest::PluginUnderTest(const std::string& uri, std::uint32_t capacity, double sampleRate)
    : input(inputBytes / 8), output((capacity + 7) / 8 + 1), outputCapacity(capacity) {
    LilvNode* uriNode = lilv_new_uri(world(), uri.c_str());
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world()), uriNode);
    lilv_node_free(uriNode);
    if (plugin == nullptr) {
        throw std::runtime_error("no plug-in " + uri + " in LV2_PATH");
    }
    LV2_Feature mapFeature{LV2_URID__map, urids.feature()};
    LV2_Feature logFeature{LV2_LOG__log, log.feature()};
    const LV2_Feature* features[] = {&mapFeature, &logFeature, nullptr};
    std::int64_t before = allocationCount();
    instance = lilv_plugin_instantiate(plugin, sampleRate, features);
    allocationsInInstantiate = allocationCount() - before;
    if (instance == nullptr) {
        throw std::runtime_error("cannot instantiate " + uri);
    }
    midiEvent = urids.map(LV2_MIDI__MidiEvent);
    lv2_atom_forge_init(&forge, urids.feature());

    std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    audio.reserve(ports); // the buffers must not move once connected
    controls.assign(ports, 0.0f);
    std::vector<float> defaults(ports, 0.0f);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    LilvNode* atomPort = lilv_new_uri(world(), LV2_ATOM__AtomPort);
    LilvNode* controlPort = lilv_new_uri(world(), LV2_CORE__ControlPort);
    LilvNode* inputPort = lilv_new_uri(world(), LV2_CORE__InputPort);
    LilvNode* audioPort = lilv_new_uri(world(), LV2_CORE__AudioPort);
    for (std::uint32_t index = 0; index < ports; ++index) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        if (lilv_port_is_a(plugin, port, controlPort)) {
            controls[index] = defaults[index];
            lilv_instance_connect_port(instance, index, &controls[index]);
        } else if (lilv_port_is_a(plugin, port, atomPort)) {
            bool isInput = lilv_port_is_a(plugin, port, inputPort);
            lilv_instance_connect_port(instance, index, isInput ? input.data() : output.data());
            (isInput ? midiInIndex : midiOutIndex) = index;
        } else if (lilv_port_is_a(plugin, port, audioPort)) {
            audio.emplace_back(maxAudioFrames, 0.0f);
            lilv_instance_connect_port(instance, index, audio.back().data());
        } else {
            lilv_instance_connect_port(instance, index, nullptr);
        }
    }
    lilv_node_free(audioPort);
    lilv_node_free(atomPort);
    lilv_node_free(controlPort);
    lilv_node_free(inputPort);
    clearInput();
}

PluginUnderTest::~PluginUnderTest() {
    if (active) {
        lilv_instance_deactivate(instance);
    }
    lilv_instance_free(instance);
}

void PluginUnderTest::activate() {
    lilv_instance_activate(instance);
    active = true;
}

void PluginUnderTest::deactivate() {
    lilv_instance_deactivate(instance);
    active = false;
}

std::uint32_t PluginUnderTest::portIndex(const char* symbol) const {
    LilvNode* node = lilv_new_string(world(), symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, node);
    lilv_node_free(node);
    if (port == nullptr) {
        throw std::runtime_error(std::string("no port ") + symbol);
    }
    return lilv_port_get_index(plugin, port);
}

void PluginUnderTest::setControl(const char* symbol, float value) {
    control(symbol) = value;
}

float& PluginUnderTest::control(const char* symbol) {
    return controls.at(portIndex(symbol));
}

void PluginUnderTest::disconnect(const char* symbol) {
    lilv_instance_connect_port(instance, portIndex(symbol), nullptr);
}

void PluginUnderTest::clearInput() {
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(input.data()), inputBytes);
    lv2_atom_forge_sequence_head(&forge, &sequenceFrame, 0);
}

void PluginUnderTest::queue(std::uint32_t frame, std::initializer_list<std::uint8_t> bytes) {
    queue(frame, std::vector<std::uint8_t>(bytes));
}

void PluginUnderTest::queue(std::uint32_t frame, const std::vector<std::uint8_t>& bytes) {
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_atom(&forge, static_cast<std::uint32_t>(bytes.size()), midiEvent);
    lv2_atom_forge_write(&forge, bytes.data(), static_cast<std::uint32_t>(bytes.size())); // padded
}

void PluginUnderTest::queueTransport(std::uint32_t frame, float speed, bool blank) {
    LV2_Atom_Forge_Frame objectFrame;
    lv2_atom_forge_frame_time(&forge, frame);
    LV2_Atom_Forge_Ref object =
        lv2_atom_forge_object(&forge, &objectFrame, 0, urids.map(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, urids.map(LV2_TIME__speed));
    lv2_atom_forge_float(&forge, speed);
    lv2_atom_forge_pop(&forge, &objectFrame);
    if (blank) {
        lv2_atom_forge_deref(&forge, object)->type = urids.map(LV2_ATOM__Blank);
    }
}

void PluginUnderTest::runOnly(std::uint32_t frames) {
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(output.data());
    sequence->atom.size = outputCapacity;
    sequence->atom.type = 0;
    lilv_instance_run(instance, frames);
}

std::uint32_t PluginUnderTest::outputAtomSize() const {
    return reinterpret_cast<const LV2_Atom_Sequence*>(output.data())->atom.size;
}

std::vector<OutputEvent> PluginUnderTest::run(std::uint32_t frames) {
    runOnly(frames);
    return decode(*reinterpret_cast<const LV2_Atom_Sequence*>(output.data()));
}

std::vector<OutputEvent> PluginUnderTest::runWith(const std::vector<std::uint8_t>& sequence,
                                                  std::uint32_t frames, bool inPlace) {
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[sequence.size()]);
    std::memcpy(block.get(), sequence.data(), sequence.size());
    lilv_instance_connect_port(instance, midiInIndex, block.get());
    if (inPlace) {
        lilv_instance_connect_port(instance, midiOutIndex, block.get());
        lilv_instance_run(instance, frames);
    } else {
        runOnly(frames);
    }
    lilv_instance_connect_port(instance, midiInIndex, input.data());
    lilv_instance_connect_port(instance, midiOutIndex, output.data());
    return decode(*reinterpret_cast<const LV2_Atom_Sequence*>(
        inPlace ? block.get() : reinterpret_cast<std::uint8_t*>(output.data())));
}

std::vector<OutputEvent> PluginUnderTest::decode(const LV2_Atom_Sequence& written) const {
    std::vector<OutputEvent> events;
    const LV2_Atom_Sequence* sequence = &written;
    if (sequence->atom.size < sizeof(LV2_Atom_Sequence_Body)) {
        return events;
    }
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
        if (event->body.type == midiEvent) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&event->body + 1);
            events.push_back({static_cast<std::uint32_t>(event->time.frames),
                              std::vector<std::uint8_t>(bytes, bytes + event->body.size)});
        }
    }
    return events;
}

void PrintTo(const OutputEvent& event, std::ostream* out) {
    *out << event.frame << ":";
    for (std::uint8_t byte : event.bytes) {
        *out << " " << std::hex << static_cast<int>(byte) << std::dec;
    }
}

} // namespace quorlin::testing
