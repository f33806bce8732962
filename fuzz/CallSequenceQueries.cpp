// What the host reads without changing anything: views and the skin, the factory and its
// class records, and the module's own information.

#include "CallSequence.h"
#include "CallSequenceInput.h"

#include "testing/DecimalReading.h"

#include <cstring>

namespace quorlin::reliability {

void CallSequence::getView(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::string name = viewName(in);
    UnknownInterface* view = reinterpret_cast<UnknownInterface*>(&view);
    ResultCode result = skinOf(*instance)->getView(name.c_str(), &view);
    if (!ReferenceSkin::isView(name.c_str())) {
        expect(result == resultFalse && view == nullptr, "getView of '" + name + "' answered");
        return;
    }
    expect(result == 0 && view == instance->interfaces[1],
           "getView of '" + name + "' did not give the parameter owner");
    ++instance->references;
    instance->held.push_back(view);
}

void CallSequence::getSkinDescription(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::string name = viewName(in);
    std::uint8_t flags = in.byte();
    constexpr std::size_t nameBytes = 10;
    auto templateName = std::make_unique<char[]>(nameBytes);
    std::memset(templateName.get(), untouchedByte, nameBytes);
    std::uint32_t size = untouchedSize;
    ResultCode result = skinOf(*instance)->getSkinDescription(
        name.c_str(), (flags & 1) != 0 ? templateName.get() : nullptr, nullptr, &size);
    bool view = ReferenceSkin::isView(name.c_str());
    std::size_t copied = view && (flags & 1) != 0 ? name.size() + 1 : 0;
    expect(std::memcmp(templateName.get(), name.c_str(), copied) == 0 &&
               std::all_of(templateName.get() + copied, templateName.get() + nameBytes,
                           [](char c) { return c == untouchedByte; }),
           "the template name buffer after getSkinDescription of '" + name + "'");
    if (!view) {
        expect(result == resultFalse && size == untouchedSize,
               "getSkinDescription of '" + name + "' answered or wrote a size");
        return;
    }
    const std::string& document = skin.description();
    expect(result == 0 && size == document.size(),
           "getSkinDescription size query of '" + name + "': " + std::to_string(size));
    // Exactly as large as reported, so a longer copy is caught by the address checker.
    auto data = std::make_unique<char[]>(size);
    std::uint32_t again = untouchedSize;
    result = skinOf(*instance)->getSkinDescription(name.c_str(), nullptr, data.get(),
                                                   (flags & 2) != 0 ? &again : nullptr);
    expect(result == 0 && std::memcmp(data.get(), document.data(), size) == 0,
           "the skin description copied for '" + name + "'");
    expect((flags & 2) == 0 ? again == untouchedSize : again == size,
           "the size reported with the copy");
}

void CallSequence::getSkinResource(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::string path = in.text();
    bool withSize = in.byte() % 4 != 0;
    DecimalReading reading = DecimalReading::of(path.c_str());
    const std::string* expected = skin.resource(reading.found ? reading.value : 0);
    std::uint32_t size = untouchedSize;
    ResultCode result =
        skinOf(*instance)->getSkinResource(path.c_str(), nullptr, withSize ? &size : nullptr);
    if (expected == nullptr) {
        expect(result == resultFalse && size == untouchedSize,
               "getSkinResource of '" + path + "' found something");
        return;
    }
    expect(result == 0, "getSkinResource of '" + path + "' found nothing");
    expect(!withSize || size == expected->size(),
           "getSkinResource size of '" + path + "': " + std::to_string(size));
    auto data = std::make_unique<char[]>(expected->size());
    result = skinOf(*instance)->getSkinResource(path.c_str(), data.get(), nullptr);
    expect(result == 0 && std::memcmp(data.get(), expected->data(), expected->size()) == 0,
           "the bytes of resource '" + path + "'");
}

void CallSequence::askFactory(ByteReader& in) {
    switch (in.byte() % 4) {
    case 0: {
        std::int32_t index = in.number();
        ClassInfo info;
        std::memset(&info, untouchedByte, sizeof info);
        ResultCode result = factory->getClassInfo(index, &info);
        if (index != 0) {
            expect(result == resultInvalidArgument &&
                       std::all_of(reinterpret_cast<const char*>(&info),
                                   reinterpret_cast<const char*>(&info) + sizeof info,
                                   [](char c) { return c == untouchedByte; }),
                   "getClassInfo of index " + std::to_string(index));
            return;
        }
        ClassInfo expected{};
        std::memcpy(expected.classId, productClassId, 16);
        expected.cardinality = 0x7FFFFFFF;
        std::strcpy(expected.category, "Midi Module Class");
        std::strcpy(expected.name, "Quorlin");
        expect(result == 0 && std::memcmp(&info, &expected, sizeof info) == 0,
               "getClassInfo of the product class");
        break;
    }
    case 1:
        expect(factory->countClasses() == 1, "countClasses");
        break;
    case 2: {
        FactoryInfo info{};
        expect(factory->getFactoryInfo(&info) == 0 && std::strcmp(info.vendor, "Tessivar") == 0 &&
                   info.factoryFlags == 0,
               "getFactoryInfo");
        break;
    }
    default: {
        InterfaceIdBytes id = readIdentifier(in);
        void* out = &out;
        ResultCode result = factory->QueryInterface(&id, &out);
        if (sameAny(id, {&UnknownInterfaceId, &FactoryInterfaceId})) {
            expect(result == 0 && out == factory, "the factory's own interface");
            expect(factory->Release() == 1, "the factory's count after a query");
        } else {
            expect(result == resultNoInterface && out == nullptr,
                   "the factory answered an identifier it does not know");
        }
        break;
    }
    }
}

void CallSequence::askModuleInfo(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    ModuleInterface* module = moduleOf(*instance);
    switch (in.byte() % 3) {
    case 0: {
        ModuleInfo info{static_cast<std::uint32_t>(in.number()), -7};
        expect(module->getModuleInfo(&info) == 0 && info.value == (info.size >= 8 ? 3 : -7),
               "getModuleInfo with the size " + std::to_string(info.size));
        expect(module->getModuleInfo(nullptr) == 0, "getModuleInfo without a record");
        break;
    }
    case 1: {
        // Read one by one: compilers evaluate a call's arguments in their own order.
        std::array<std::int32_t, 4> values{};
        for (std::int32_t& value : values) {
            value = in.number();
        }
        expect(module->setHostValue(values[0]) == 0 && module->reservedCallA(values[1]) == 0 &&
                   module->reservedCallB(values[2], values[3]) == 0,
               "the calls the module only acknowledges");
        break;
    }
    default: {
        auto* auxiliary = static_cast<AuxiliaryInterface*>(instance->interfaces[3]);
        void* out = &out;
        std::int32_t first = in.number();
        std::int32_t second = in.number();
        expect(auxiliary->auxGet(first, second, &out) == resultFalse && out == nullptr, "auxGet");
        expect(auxiliary->auxGet(0, 0, nullptr) == resultFalse &&
                   auxiliary->auxPut(in.number()) == resultFalse,
               "the auxiliary calls");
        break;
    }
    }
}

// A careless host's null pointers, in whatever state the instances are: each gets its answer,
// null through a given out pointer, and no reference, buffer or size changes.
void CallSequence::passNulls(ByteReader& in) {
    Instance* instance = pickInstance(in);
    const std::uint8_t choice = in.byte();
    auto* through = instance == nullptr
                        ? static_cast<UnknownInterface*>(factory)
                        : static_cast<UnknownInterface*>(instance->interfaces[choice % 4]);
    const std::uint32_t before = through->AddRef();
    const auto* classId = reinterpret_cast<const InterfaceIdBytes*>(productClassId);
    const bool noClass = (choice & 0x10) != 0;
    void* out = &out;
    void* created = &created;
    bool answered =
        through->QueryInterface(nullptr, &out) == resultInvalidArgument && out == nullptr &&
        through->QueryInterface(UnknownInterfaceId.raw(), nullptr) == resultInvalidArgument &&
        factory->createInstance(noClass ? nullptr : classId,
                                noClass ? ModuleInterfaceId.raw() : nullptr,
                                &created) == resultInvalidArgument &&
        created == nullptr &&
        factory->createInstance(classId, ModuleInterfaceId.raw(), nullptr) == resultInvalidArgument;
    if (instance != nullptr) {
        ParameterOwnerInterface* owner = ownerOf(*instance);
        SkinInterface* views = skinOf(*instance);
        const std::int32_t number = in.number();
        ParameterInterface* found = reinterpret_cast<ParameterInterface*>(&found);
        UnknownInterface* view = reinterpret_cast<UnknownInterface*>(&view);
        std::uint32_t size = untouchedSize;
        answered = answered && owner->findParameter(nullptr, &found) == resultFalse && !found &&
                   views->getView(nullptr, &view) == resultFalse && !view &&
                   owner->findParameter(speedName, nullptr) == resultInvalidArgument &&
                   owner->getParameterName(number, nullptr) == resultInvalidArgument &&
                   owner->getParameterByTag(number, nullptr) == resultInvalidArgument &&
                   views->getView("editor", nullptr) == resultInvalidArgument &&
                   views->getSkinDescription(nullptr, nullptr, nullptr, &size) == resultFalse &&
                   views->getSkinResource(nullptr, nullptr, &size) == resultFalse &&
                   size == untouchedSize;
    }
    expect(answered, "a null pointer was not answered");
    expect(through->Release() == before - 1, "a null pointer changed a reference count");
}

} // namespace quorlin::reliability
