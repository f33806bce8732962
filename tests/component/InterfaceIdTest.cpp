#include "component/InterfaceId.h"
#include "component/InterfaceMap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace quorlin {
namespace {

// The usual text form, read from the bytes: the first three groups little-endian, the rest in
// order. A wrong byte anywhere makes the text differ from the one the identifiers are known by.
std::string textForm(const InterfaceId& id) {
    const std::uint8_t* b = id.data();
    char text[37];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[3],
                  b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

TEST(InterfaceIdTest, EveryIdentifierHasItsKnownTextForm) {
    struct Known {
        const InterfaceId& id;
        const char* text;
    };
    const Known known[] = {
        {UnknownInterfaceId, "00000000-0000-0000-C000-000000000046"},
        {ModuleInterfaceId, "22888DDB-156E-45AE-8358-B34808190625"},
        {ModuleInterfaceAltId, "573C8B06-17BE-488E-B458-400CD3EE099E"},
        {ParameterListenerInterfaceId, "0466B781-A086-11D5-BECC-00A0C9A636BC"},
        {ParameterOwnerInterfaceId, "0466B782-A086-11D5-BECC-00A0C9A636BC"},
        {SkinInterfaceId, "0466B783-A086-11D5-BECC-00A0C9A636BC"},
        {SkinInterfaceAltId, "4B99140E-67E4-4D4C-A93F-8F4FCEE79F70"},
        {AuxiliaryInterfaceId, "5DB44BA4-F1F7-41D5-BD31-21B958BA994B"},
        {ClassIdentityInterfaceId, "7041A824-FC9A-488A-8F07-DAC05061E933"},
        {FactoryInterfaceId, "7A4D811C-5211-4A1F-AED9-D2EE0B43BF9F"},
        {ParameterInterfaceId, "0466B780-A086-11D5-BECC-00A0C9A636BC"},
        {ParameterNotifierInterfaceId, "6A1937C8-5B9B-4C5F-BAA6-082CEEAB330F"},
        {ParameterNotifierInterfaceAltId, "AF872C18-6231-4AFF-B586-506090323835"},
        {HostMidiServicesId, "17C91D3F-8606-4D84-A6CC-12AB2C0996E7"},
    };
    for (const Known& k : known) {
        EXPECT_EQ(textForm(k.id), k.text);
    }
}

TEST(InterfaceIdTest, WordsAreLaidOutInGuidByteOrder) {
    const InterfaceId example{0x0466B780, 0xA08611D5, 0xBECC00A0, 0xC9A636BC};
    const std::uint8_t expected[16] = {0x80, 0xB7, 0x66, 0x04, 0x86, 0xA0, 0xD5, 0x11,
                                       0xBE, 0xCC, 0x00, 0xA0, 0xC9, 0xA6, 0x36, 0xBC};
    EXPECT_EQ(0, std::memcmp(example.data(), expected, 16));

    const std::uint8_t unknown[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    EXPECT_EQ(0, std::memcmp(UnknownInterfaceId.data(), unknown, 16));
}

TEST(InterfaceIdTest, RawBytesAreCopiedAndNullGivesZeros) {
    const std::uint8_t rawBytes[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                       0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    InterfaceId fromBytes(rawBytes);
    EXPECT_EQ(textForm(fromBytes), "76543210-BA98-FEDC-0123-456789ABCDEF");

    InterfaceId zero(nullptr);
    const std::uint8_t zeros[16] = {};
    EXPECT_EQ(0, std::memcmp(zero.data(), zeros, 16));
}

TEST(InterfaceIdTest, ComparisonIsByContentAndEveryByteCounts) {
    InterfaceIdBytes copy = *ModuleInterfaceId.raw();
    EXPECT_TRUE(ModuleInterfaceId.matches(&copy)); // another address, same bytes
    for (int i = 0; i < 16; ++i) {
        InterfaceIdBytes changed = copy;
        changed.bytes[i] ^= 0x01;
        EXPECT_FALSE(ModuleInterfaceId.matches(&changed)) << "byte " << i;
    }
}

// A small object with two interfaces, answering through the shared table helper.
class TwoFaced final : public UnknownInterface {
public:
    std::int32_t count = 1;
    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override {
        return answerQueryInterface(iid, out,
                                    {{&UnknownInterfaceId, this},
                                     {&SkinInterfaceId, this},
                                     {&SkinInterfaceAltId, &second},
                                     {&SkinInterfaceAltId, nullptr}},
                                    *this);
    }
    std::uint32_t QUORLIN_CALL AddRef() noexcept override {
        return static_cast<std::uint32_t>(++count);
    }
    std::uint32_t QUORLIN_CALL Release() noexcept override {
        return static_cast<std::uint32_t>(--count);
    }
    int second = 0;
};

TEST(InterfaceIdTest, QueryAnswersTheFirstMatchingRowAndCountsOnlyMatches) {
    TwoFaced object;
    void* out = &object;
    EXPECT_EQ(resultOk, object.QueryInterface(SkinInterfaceAltId.raw(), &out));
    EXPECT_EQ(out, &object.second); // the first of the two rows for this identifier
    EXPECT_EQ(object.count, 2);

    out = &object;
    EXPECT_EQ(resultNoInterface, object.QueryInterface(ModuleInterfaceId.raw(), &out));
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object.count, 2);
}

} // namespace
} // namespace quorlin
