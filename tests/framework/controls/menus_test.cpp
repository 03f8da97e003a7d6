// Menu items: registered for creation by name at the menu layer's start-up,
// and read from a description as a tree of sub-items.
#include "framework/controls/menus.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/registries.h"
#include "framework/streaming/stream.h"
#include "framework/streaming/writer.h"

#include <gtest/gtest.h>

namespace {

class Menus : public ::testing::Test {
protected:
    void SetUp() override { ClearClassRegistry(); }
    void TearDown() override { ClearClassRegistry(); }
};

TEST_F(Menus, StartUpRegistersTheMenuItemClassWithItsAncestors) {
    EXPECT_EQ(LookupRegisteredClass("TMenuItem"), nullptr);
    MenusModule.Start();
    EXPECT_EQ(LookupRegisteredClass("tmenuitem"), &TMenuItem::ClassInfo);
    EXPECT_EQ(LookupRegisteredClass("TComponent"), &TComponent::ClassInfo);
    EXPECT_EQ(LookupRegisteredClass("TPersistent"), &TPersistent::ClassInfo);
    EXPECT_EQ(LookupRegisteredClass("TObject"), nullptr);
}

TEST_F(Menus, ItemsReadFromADescriptionBecomeSubItemsOfTheirParentItem) {
    StartMenusModule();
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteSignature();
    writer.WriteHeader("TMenuItem", "FileMenu");
    writer.WritePropertyPath("Caption");
    writer.WriteText("&File");
    writer.WriteListEnd();
    writer.WriteHeader("TMenuItem", "OpenItem");
    writer.WritePropertyPath("ShortCut");
    writer.WriteInteger(0x4F + 0x4000);
    writer.WriteListEnd();
    writer.WriteListEnd();
    writer.WriteHeader("TMenuItem", "ExitItem");
    writer.WritePropertyPath("Enabled");
    writer.WriteBoolean(false);
    writer.WriteListEnd();
    writer.WriteListEnd();
    writer.WriteListEnd();
    stream.SetPosition(0);

    TOwned<TComponent> root(stream.LoadTree(nullptr));
    auto* menu = As<TMenuItem>(root.get());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Caption, "&File");
    ASSERT_EQ(menu->Count(), 2);
    EXPECT_EQ(menu->Item(0)->Name(), "OpenItem");
    EXPECT_EQ(menu->Item(0)->ShortCut, 0x404F);
    EXPECT_EQ(menu->Item(0)->Parent(), menu);
    EXPECT_FALSE(menu->Item(1)->Enabled);
    EXPECT_TRUE(menu->Item(1)->Visible);
    // The sub-items belong to the root; destroying one leaves its parent item.
    EXPECT_EQ(menu->Item(1)->Owner(), menu);
    FreeObject(menu->Item(0));
    ASSERT_EQ(menu->Count(), 1);
    EXPECT_EQ(menu->Item(0)->Name(), "ExitItem");
}

TEST_F(Menus, AnItemCannotHoldItselfOrAnItemAboveIt) {
    TOwned<TMenuItem> top(NewComponent<TMenuItem>(nullptr));
    TMenuItem* middle = NewComponent<TMenuItem>(top.get());
    TMenuItem* bottom = NewComponent<TMenuItem>(top.get());
    top->Add(middle);
    middle->Add(bottom);
    bottom->Add(top.get());
    middle->Add(middle);
    EXPECT_EQ(top->Parent(), nullptr);
    EXPECT_EQ(middle->Count(), 1);
    // Moving an item takes it from its previous parent.
    top->Add(bottom);
    EXPECT_EQ(middle->Count(), 0);
    EXPECT_EQ(top->Count(), 2);
    EXPECT_EQ(bottom->Parent(), top.get());
}

} // namespace
