// A fixture that gives each test the start-up state of the streaming layer:
// identifier maps registered, sample classes registered, no global lookup,
// and everything cleared again afterwards.
#pragma once

#include "framework/controls/graphics.h"
#include "framework/streaming/references.h"
#include "framework/streaming/registries.h"
#include "fuzz/sample_classes.h"

#include <gtest/gtest.h>

#include <vector>

class StreamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartGraphicsModule();
        RegisterSampleClasses();
        GlobalComponentLookup = nullptr;
        roots.clear();
    }
    void TearDown() override {
        GlobalComponentLookup = nullptr;
        DropGlobalRefs(nullptr, "");
        ClearClassRegistry();
        StopGraphicsModule();
    }

    // Top-level components that the installed lookup finds by name.
    static inline std::vector<TComponent*> roots;
    static TComponent* LookupRoot(std::string_view name) {
        for (TComponent* root : roots)
            if (SameName(root->Name(), name)) return root;
        return nullptr;
    }
    void InstallLookup() { GlobalComponentLookup = &LookupRoot; }
};
