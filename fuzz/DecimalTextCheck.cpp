#include "DecimalTextCheck.h"

#include "ByteReader.h"
#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"
#include "parameters/IntParameter.h"
#include "parameters/Parameter.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/DecimalReading.h"
#include "testing/FakeOwner.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace quorlin::reliability {

namespace {

constexpr std::uint8_t productClassId[16] = {0xD1, 0x47, 0x2B, 0x9E, 0x3C, 0x6A, 0x85, 0x4F,
                                             0xB1, 0xD0, 0x27, 0xC5, 0xE8, 0xA9, 0x4F, 0x3B};

struct Mismatch : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void expect(bool holds, const std::string& what) {
    if (!holds) {
        throw Mismatch(what);
    }
}

// Releases a parameter however the check ends.
struct ParameterHold {
    ParameterInterface* parameter;
    ~ParameterHold() { parameter->Release(); }
};

void checkOracle(const std::string& text, const DecimalReading& reading) {
    int scanned = 0;
    int fields = std::sscanf(text.c_str(), "%d", &scanned);
    if (!reading.found) {
        expect(fields <= 0, "'" + text + "' holds a number for the C library, none for the model");
        return;
    }
    // At the limits the model saturates, where the C library's result is undefined.
    if (reading.value != std::numeric_limits<std::int32_t>::min() &&
        reading.value != std::numeric_limits<std::int32_t>::max()) {
        expect(fields == 1 && scanned == reading.value,
               "'" + text + "' reads as " + std::to_string(scanned) + " for the C library, " +
                   std::to_string(reading.value) + " for the model");
    }
}

// Runs fromText on `parameter`, attached to a recording owner, and compares value, owner
// reports and the pending flag with `expected`.
void checkFromText(ParameterInterface* parameter, const std::string& text, std::int32_t start,
                   bool silent, std::int32_t expected, const char* kind) {
    testing::FakeOwner owner;
    parameter->attach(&owner, 7);
    parameter->setValue(start);
    std::int32_t before = parameter->getValue();
    Parameter* object = Parameter::fromInterface(parameter);
    bool pendingBefore = object->isPending();
    owner.reports.clear();
    if (silent) {
        object->setOption(Parameter::reportingOption, 0);
    }
    parameter->fromText(text.c_str());
    std::int32_t after = parameter->getValue();
    expect(after == expected, std::string(kind) + " fromText '" + text + "' gave " +
                                  std::to_string(after) + ", expected " + std::to_string(expected));
    bool reported = after != before && !silent;
    expect(owner.reports.size() == (reported ? 1u : 0u) &&
               (!reported || owner.reports.back().tag == 7),
           std::string(kind) + " fromText '" + text + "' told the owner " +
               std::to_string(owner.reports.size()) + " times");
    expect(object->isPending() == (pendingBefore || reported),
           std::string(kind) + " fromText '" + text + "' pending flag");
    expect(after >= parameter->getMin() && after <= parameter->getMax(),
           std::string(kind) + " value left its range");
    parameter->attach(nullptr, 7);
}

std::string shown(ParameterInterface* parameter) {
    char text[12];
    parameter->toText(text);
    return text;
}

void checkResourcePath(const ReferenceSkin& skin, const std::string& path,
                       const DecimalReading& reading) {
    FactoryInterface* factory = GetPluginFactory();
    void* module = nullptr;
    ResultCode created = factory->createInstance(
        reinterpret_cast<const InterfaceIdBytes*>(productClassId), SkinInterfaceId.raw(), &module);
    factory->Release();
    expect(created == 0 && module != nullptr, "no instance for the resource paths");
    auto* skinInterface = static_cast<SkinInterface*>(module);
    const std::string* expected = skin.resource(reading.found ? reading.value : 0);
    std::uint32_t size = 0xDEADBEEFu;
    ResultCode result = skinInterface->getSkinResource(path.c_str(), nullptr, &size);
    std::string data;
    if (expected != nullptr && result == 0 && size == expected->size()) {
        data.assign(size, '\0');
        result = skinInterface->getSkinResource(path.c_str(), data.data(), nullptr);
    }
    skinInterface->Release();
    if (expected == nullptr) {
        expect(result == resultFalse && size == 0xDEADBEEFu,
               "resource path '" + path + "' found a resource");
    } else {
        expect(result == 0 && data == *expected, "resource path '" + path + "' gave other bytes");
    }
}

} // namespace

std::string DecimalTextCheck::run(const std::uint8_t* data, std::size_t size) const {
    ByteReader in(data, size);
    std::uint8_t flags = in.byte();
    std::int32_t start = in.number();
    std::int32_t low = in.number();
    std::int32_t high = in.number();
    if (low > high) {
        std::swap(low, high);
    }
    std::string text;
    for (std::size_t i = 0; i < 64 && !in.atEnd(); ++i) {
        text.push_back(static_cast<char>(in.byte()));
    }
    text = text.c_str(); // the readers stop at the first zero byte
    bool silent = (flags & 1) != 0;
    DecimalReading reading = DecimalReading::of(text.c_str());
    try {
        checkOracle(text, reading);

        ParameterHold speed{new PortamentoSpeedParameter()};
        std::int32_t speedExpected =
            reading.found ? std::clamp(reading.value, std::int32_t{-1}, std::int32_t{127}) : -1;
        checkFromText(speed.parameter, text, start, silent, speedExpected, "speed");
        std::string speedText = shown(speed.parameter);
        expect(speedText == (speedExpected == -1 ? "Off" : std::to_string(speedExpected)),
               "speed toText gave " + speedText);

        ParameterHold integer{new IntParameter(low, high)};
        std::int32_t integerStart = std::clamp(start, low, high);
        std::int32_t integerExpected =
            reading.found ? std::clamp(reading.value, low, high) : integerStart;
        checkFromText(integer.parameter, text, start, silent, integerExpected, "integer");
        expect(shown(integer.parameter) == std::to_string(integerExpected),
               "integer toText gave " + shown(integer.parameter));

        ParameterHold onOff{new Parameter()};
        std::int32_t onOffExpected = text == "Off" ? 0 : 1;
        checkFromText(onOff.parameter, text, start, silent, onOffExpected, "on/off");
        expect(shown(onOff.parameter) == (onOffExpected == 1 ? "On" : "Off"),
               "on/off toText gave " + shown(onOff.parameter));

        checkResourcePath(skin, text, reading);
    } catch (const Mismatch& mismatch) {
        return mismatch.what();
    }
    return {};
}

} // namespace quorlin::reliability
