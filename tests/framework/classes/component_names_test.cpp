// Names of owned components: which component a name finds, the uniqueness
// errors, and the order of the owner's list, for owners of a few components
// and of many (a hundred, as a large form's root holds).
#include "framework/classes/component.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ComponentNames : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        owner.reset(NewComponent<TComponent>(nullptr));
        for (int i = 0; i < GetParam(); ++i) {
            TComponent* c = NewComponent<TComponent>(owner.get());
            c->SetName("Item" + std::to_string(i));
            items.push_back(c);
        }
    }
    std::vector<TComponent*> List() const {
        std::vector<TComponent*> list;
        for (int i = 0; i < owner->ComponentCount(); ++i)
            list.push_back(owner->Component(i));
        return list;
    }
    // A component named Name, owned elsewhere and then moved into the owner
    // (moving in does not check the name, so the owner then has it twice).
    TComponent* MovedIn(const std::string& name) {
        TOwned<TComponent> elsewhere(NewComponent<TComponent>(nullptr));
        TComponent* c = NewComponent<TComponent>(elsewhere.get());
        c->SetName(name);
        owner->InsertComponent(c);
        return c;
    }
    void ExpectDuplicate(TComponent* c, const std::string& name) {
        try {
            c->SetName(name);
            ADD_FAILURE() << name << " was taken";
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), FormatResString(SDuplicateName, {name}));
        }
    }

    TOwned<TComponent> owner;
    std::vector<TComponent*> items;
};

TEST_P(ComponentNames, FindsEveryNameInAnyAsciiCase) {
    for (int i = 0; i < GetParam(); ++i) {
        EXPECT_EQ(owner->FindComponent("Item" + std::to_string(i)), items[i]);
        EXPECT_EQ(owner->FindComponent("iTEM" + std::to_string(i)), items[i]);
    }
    EXPECT_EQ(owner->FindComponent("Item"), nullptr);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    EXPECT_EQ(owner->FindComponent("Item0x"), nullptr);
    EXPECT_EQ(List(), items);
}

TEST_P(ComponentNames, RenamingFreesTheOldNameAndTakesTheNew) {
    TComponent* last = items.back();
    std::string old = last->Name();
    last->SetName("Renamed");
    EXPECT_EQ(owner->FindComponent(old), nullptr);
    EXPECT_EQ(owner->FindComponent("RENAMED"), last);
    last->SetName("renamed"); // its own name in another case is no clash
    EXPECT_EQ(last->Name(), "renamed");
    EXPECT_EQ(owner->FindComponent("Renamed"), last);
    items.front()->SetName(""); // an unnamed component is found by no name
    EXPECT_EQ(owner->FindComponent("Item0"), nullptr);
    items.front()->SetName(old);
    EXPECT_EQ(owner->FindComponent(old), items.front());
    EXPECT_EQ(List(), items); // renaming keeps every place in the list
}

TEST_P(ComponentNames, ANameAnotherComponentCarriesIsRefused) {
    TComponent* last = items.back();
    ExpectDuplicate(last, "item0");
    ExpectDuplicate(items.front(), "ITEM" + std::to_string(GetParam() - 1));
    EXPECT_EQ(last->Name(), "Item" + std::to_string(GetParam() - 1));
    EXPECT_EQ(owner->FindComponent("Item0"), items.front());
    TComponent* fresh = NewComponent<TComponent>(owner.get());
    ExpectDuplicate(fresh, "Item0");
    EXPECT_EQ(fresh->Name(), "");
    try {
        fresh->SetName("9lives");
        ADD_FAILURE();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), FormatResString(SInvalidName, {"9lives"}));
    }
    // A name that was freed can be taken by another.
    items.front()->SetName("Other");
    fresh->SetName("ITEM0");
    EXPECT_EQ(owner->FindComponent("item0"), fresh);
}

TEST_P(ComponentNames, TheFirstInListOrderWinsAmongEqualNames) {
    TComponent* second = MovedIn("ITEM1");
    EXPECT_EQ(owner->FindComponent("item1"), items[1]);
    EXPECT_EQ(owner->Component(owner->ComponentCount() - 1), second);
    owner->RemoveComponent(items[1]);
    TOwned<TComponent> removed(items[1]);
    EXPECT_EQ(owner->FindComponent("item1"), second);
    // Moved back in, it comes after the other and is found second.
    owner->InsertComponent(removed.release());
    EXPECT_EQ(owner->FindComponent("Item1"), second);
    FreeObject(second);
    EXPECT_EQ(owner->FindComponent("Item1"), items[1]);
    EXPECT_EQ(owner->Component(owner->ComponentCount() - 1), items[1]);
}

TEST_P(ComponentNames, DestroyedAndRemovedComponentsAreFoundNoMore) {
    for (size_t i = 0; i < items.size(); i += 2)
        FreeObject(items[i]);
    std::vector<TComponent*> left;
    for (size_t i = 0; i < items.size(); ++i) {
        std::string name = "Item" + std::to_string(i);
        if (i % 2 == 0) {
            EXPECT_EQ(owner->FindComponent(name), nullptr) << name;
        } else {
            EXPECT_EQ(owner->FindComponent(name), items[i]) << name;
            left.push_back(items[i]);
        }
    }
    EXPECT_EQ(List(), left);
    // A new component may take a destroyed one's name.
    TComponent* again = NewComponent<TComponent>(owner.get());
    again->SetName("Item0");
    EXPECT_EQ(owner->FindComponent("item0"), again);
    // Moved to another owner, a component takes its name along.
    TOwned<TComponent> other(NewComponent<TComponent>(nullptr));
    other->InsertComponent(again);
    EXPECT_EQ(owner->FindComponent("Item0"), nullptr);
    EXPECT_EQ(other->FindComponent("Item0"), again);
}

INSTANTIATE_TEST_SUITE_P(Owners, ComponentNames, ::testing::Values(3, 100),
                         [](const auto& info) { return "Of" + std::to_string(info.param); });

} // namespace
