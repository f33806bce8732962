// The factory as a host reaches it: by table place, copying records by byte.

#include "factory/PluginFactory.h"
#include "component/FactoryInterface.h"
#include "factory/ProductClass.h"
#include "product/ProductIdentity.h"
#include "testing/SlotCall.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quorlin::testing {
namespace {

// The factory's places after the first three.
enum FactoryPlace : int {
    placeFactoryInfo = 4,
    placeCountClasses = 5,
    placeClassInfo = 6,
    placeCreateInstance = 7,
};

const std::uint8_t* const productClassId = product::classIdBytes.data();

class PluginFactoryTest : public ::testing::Test {
protected:
    void SetUp() override { factory = acquirePluginFactory(); }
    void TearDown() override {
        if (factory != nullptr) {
            EXPECT_EQ(callSlot<std::uint32_t>(factory, placeRelease), 0u);
        }
        EXPECT_EQ(PluginFactory::singleton(), nullptr);
    }
    FactoryInterface* factory = nullptr;
};

TEST_F(PluginFactoryTest, OneLiveFactoryUntilTheLastRelease) {
    FactoryInterface* again = acquirePluginFactory();
    EXPECT_EQ(again, factory);
    EXPECT_EQ(callSlot<std::uint32_t>(factory, placeRelease), 1u);
    EXPECT_EQ(callSlot<std::uint32_t>(factory, placeRelease), 0u);
    EXPECT_EQ(PluginFactory::singleton(), nullptr);
    factory = acquirePluginFactory(); // a new one, with the class registered again
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(callSlot<std::int32_t>(factory, placeCountClasses), 1);
}

TEST_F(PluginFactoryTest, RecordsAreCopiedByteForByte) {
    unsigned char info[452 + 4];
    std::memset(info, 0xEE, sizeof info);
    EXPECT_EQ(callSlot<ResultCode>(factory, placeFactoryInfo, info), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(info), product::vendor);
    for (std::size_t i = std::strlen(product::vendor); i < 64; ++i) {
        ASSERT_EQ(info[i], 0) << "vendor byte " << i;
    }
    EXPECT_STREQ(reinterpret_cast<char*>(info + 64), product::webAddress);
    EXPECT_STREQ(reinterpret_cast<char*>(info + 320), product::contactAddress);
    EXPECT_EQ(info[448] | info[449] | info[450] | info[451], 0);
    EXPECT_EQ(info[452], 0xEE); // nothing past the record
    EXPECT_EQ(callSlot<ResultCode>(factory, placeFactoryInfo, static_cast<void*>(nullptr)), 0);

    unsigned char record[116 + 4];
    std::memset(record, 0xEE, sizeof record);
    EXPECT_EQ(callSlot<ResultCode>(factory, placeClassInfo, std::int32_t{0}, record), 0);
    EXPECT_EQ(0, std::memcmp(record, productClassId, 16));
    const unsigned char cardinality[4] = {0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_EQ(0, std::memcmp(record + 16, cardinality, 4));
    EXPECT_STREQ(reinterpret_cast<char*>(record + 20), product::classCategory);
    EXPECT_EQ(record[51], 0);
    EXPECT_STREQ(reinterpret_cast<char*>(record + 52), product::className);
    EXPECT_EQ(record[115], 0);
    EXPECT_EQ(record[116], 0xEE);

    for (std::int32_t index : {1, -1, 99}) {
        EXPECT_EQ(callSlot<ResultCode>(factory, placeClassInfo, index, record),
                  resultInvalidArgument);
    }
    EXPECT_EQ(
        callSlot<ResultCode>(factory, placeClassInfo, std::int32_t{0}, static_cast<void*>(nullptr)),
        resultInvalidArgument);
}

TEST_F(PluginFactoryTest, CreateInstanceHandsOverTheOnlyReference) {
    void* out = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(factory, placeCreateInstance, productClassId,
                                   ModuleInterfaceId.raw(), &out),
              0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(callSlot<std::uint32_t>(out, placeRelease), 0u);

    // Instances live on after the factory is gone.
    EXPECT_EQ(callSlot<ResultCode>(factory, placeCreateInstance, productClassId,
                                   SkinInterfaceId.raw(), &out),
              0);
    EXPECT_EQ(callSlot<std::uint32_t>(factory, placeRelease), 0u);
    factory = nullptr;
    EXPECT_EQ(callSlot<std::uint32_t>(out, placeRelease), 0u);
}

TEST_F(PluginFactoryTest, CreateInstanceRefusals) {
    void* out = factory;
    EXPECT_EQ(callSlot<ResultCode>(factory, placeCreateInstance, productClassId,
                                   ClassIdentityInterfaceId.raw(), &out),
              resultNoInterface);
    EXPECT_EQ(out, nullptr);
    out = factory;
    EXPECT_EQ(callSlot<ResultCode>(factory, placeCreateInstance, FactoryInterfaceId.raw(),
                                   ModuleInterfaceId.raw(), &out),
              resultNoInterface);
    EXPECT_EQ(out, nullptr);

    out = factory;
    EXPECT_EQ(callSlot<ResultCode>(factory, placeQueryInterface, ModuleInterfaceId.raw(), &out),
              resultNoInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(callSlot<ResultCode>(factory, placeQueryInterface, FactoryInterfaceId.raw(), &out),
              0);
    EXPECT_EQ(out, factory);
    EXPECT_EQ(callSlot<std::uint32_t>(factory, placeRelease), 1u);
}

UnknownInterface* createNothing(void*) {
    return nullptr;
}

TEST(PluginFactoryTableTest, NinetyNineClassesAtMost) {
    PluginFactory factory(productFactoryInfo);
    ClassInfo info = productClassInfo;
    for (int i = 0; i < 98; ++i) {
        ASSERT_TRUE(factory.registerClass(&info, createNothing, nullptr));
    }
    EXPECT_FALSE(factory.registerClass(nullptr, createNothing, nullptr));
    EXPECT_FALSE(factory.registerClass(&info, nullptr, nullptr));
    EXPECT_TRUE(factory.registerClass(&info, createNothing, nullptr)); // the 99th
    EXPECT_FALSE(factory.registerClass(&info, createNothing, nullptr));
    EXPECT_EQ(factory.countClasses(), 99);

    void* out = &factory;
    EXPECT_EQ(factory.createInstance(reinterpret_cast<const InterfaceIdBytes*>(info.classId),
                                     ModuleInterfaceId.raw(), &out),
              resultNoInterface);
    EXPECT_EQ(out, nullptr);
}

} // namespace
} // namespace quorlin::testing
