#pragma once

#include "component/ModuleInterfaces.h"
#include "factory/ProductClass.h"
#include "testing/RecordingHostContext.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/SlotCall.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlin::testing {

// Operation places of the module's interfaces after the first three, as the host numbers them.
enum ModulePlace : int {
    placeInitialize = 4,
    placeTerminate = 5,
    placeGetModuleInfo = 6,
    placeSetHostValue = 7,
    placeProcessEvent = 8,
    placeProcessTime = 9,
    placeStop = 12,
    placeStart = 13,
};

// One instance made by the product's create function and driven through table places only.
class ModuleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        module = static_cast<ModuleInterface*>(
            createProductInstance(const_cast<ClassInfo*>(&productClassInfo)));
        ASSERT_NE(module, nullptr);
    }

    void TearDown() override {
        if (module != nullptr) {
            callSlot<ResultCode>(module, placeTerminate);
            EXPECT_EQ(callSlot<std::uint32_t>(module, placeRelease), 0u);
        }
        // Whatever the module took from the host it gave back.
        EXPECT_EQ(services.references(), 1);
        EXPECT_EQ(context.references(), 1);
        EXPECT_EQ(services.eventsCreated, services.eventsReleased);
    }

    ResultCode initialize() { return callSlot<ResultCode>(module, placeInitialize, &context); }

    ResultCode send(std::int32_t status, std::int32_t data1, std::int32_t data2,
                    std::int32_t position = 0, std::int32_t length = 0,
                    std::int32_t immediate = 0) {
        HostEvent* event = services.makeEvent(status, data1, data2, position, length, immediate);
        return callSlot<ResultCode>(module, placeProcessEvent, event);
    }

    ResultCode time(std::int32_t position, std::int32_t immediate = 0) {
        return callSlot<ResultCode>(module, placeProcessTime, position, std::int32_t{0}, immediate);
    }

    template <typename Interface> Interface* query(const InterfaceId& id) {
        void* out = nullptr;
        EXPECT_EQ(callSlot<ResultCode>(module, placeQueryInterface, id.raw(), &out), resultOk);
        callSlot<std::uint32_t>(module, placeRelease); // keep the count where it was
        return static_cast<Interface*>(out);
    }

    // The parameter the host finds by name on the owner interface (slot 4).
    ParameterInterface* speedParameter() {
        auto* owner = query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
        ParameterInterface* parameter = nullptr;
        callSlot<ResultCode>(owner, 4, "portamentoSpeed", &parameter);
        return parameter;
    }

    // The controllers that left the module, as "cc<number>=<value>@<position>/<path>".
    std::vector<std::string> sentControllers() const {
        std::vector<std::string> out;
        for (const SentEvent& e : services.sent) {
            if (e.createdByModule) {
                out.push_back("cc" + std::to_string(e.data1) + "=" + std::to_string(e.data2) + "@" +
                              std::to_string(e.position) + "/" + e.path);
            }
        }
        return out;
    }

    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    ModuleInterface* module = nullptr;
};

} // namespace quorlin::testing
