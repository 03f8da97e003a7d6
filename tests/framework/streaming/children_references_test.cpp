// Child records, class resolution, ancestors, and references between components.
#include "streaming_fixture.h"
#include "streaming_support.h"

namespace {

class ChildrenAndReferences : public StreamingTest {
protected:
    void SetUp() override {
        StreamingTest::SetUp();
        InstallLookup();
    }
    static void Child(TDescription& d, std::string_view cls, std::string_view name,
                      const std::function<void(TDescription&)>& properties = {}) {
        d->WriteHeader(cls, name);
        if (properties) properties(d);
        d.End().End();
    }
};

TEST_F(ChildrenAndReferences, ChildrenAreCreatedOwnedNamedAndLoadedAfterTheRoot) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").Path("Left")->WriteInteger(1);
    d.End();
    Child(d, "tsamplechild", "First", [](TDescription& c) { c.Path("Tag")->WriteInteger(10); });
    d->WritePrefix(pfHasPosition, 300);  // a position the default placement ignores
    Child(d, "TSampleSink", "Second");
    d.End();
    OpenLoadBatch();
    ReadInto(d.Bytes(), form.get());
    TLoadedList loaded = *CurrentLoadBatch();
    FinishLoadBatch();
    CloseLoadBatch();

    ASSERT_EQ(form->ComponentCount(), 2);
    auto* first = As<TSampleChild>(form->FindComponent("first"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Tag, 10);
    EXPECT_NE(As<TSampleSink>(form->FindComponent("Second")), nullptr);
    EXPECT_EQ(loaded, (TLoadedList{form.get(), first, form->FindComponent("Second")}));
    EXPECT_FALSE(first->HasState(lsLoading));
}

TEST_F(ChildrenAndReferences, ClassesResolveThroughFieldClassesThenTheRegistry) {
    ClearClassRegistry();  // TSampleChild is still a published field class of the form
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TSampleChild", "Kid");
    d.End();
    ReadInto(d.Bytes(), form.get());
    EXPECT_NE(form->FindComponent("Kid"), nullptr);

    RegisterSampleClasses();
    for (const char* cls : {"TNowhere", "TSampleThing"}) {
        TOwned<TSampleForm> other(NewComponent<TSampleForm>(nullptr));
        TDescription bad;
        bad.Root("TSampleForm", "Main").End();
        Child(bad, cls, "Kid");
        bad.End();
        EXPECT_EQ(MessageOf<EClassNotFound>([&] { ReadInto(bad.Bytes(), other.get()); }),
                  FormatResString(SClassNotFound, {cls}));
        EXPECT_EQ(other->ComponentCount(), 0);
    }
}

TEST_F(ChildrenAndReferences, HandledChildErrorsLeaveTheChildOutAndReadOn) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TUnknown", "Lost", [](TDescription& c) { c.Path("Tag")->WriteInteger(1); });
    Child(d, "TSampleChild", "9bad");  // not an identifier: naming fails
    Child(d, "TSampleChild", "Kept");
    d.End();
    TMemoryStream stream(d.Bytes());
    std::vector<std::string> messages;
    {
        TReader reader(stream, TReader::DefaultChunkSize);
        reader.OnReadError = [&](TReader&, const std::string& message, bool& handled) {
            messages.push_back(message);
            handled = true;
        };
        reader.LoadRoot(form.get());
    }
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], FormatResString(SClassNotFound, {"TUnknown"}));
    ASSERT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(form->Component(0)->Name(), "Kept");
}

TEST_F(ChildrenAndReferences, FailedChildBodyDestroysTheChildAndEndsTheRead) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TSampleChild", "Kid", [](TDescription& c) { c.Path("Tag")->WriteText("x"); });
    d.End();
    OpenLoadBatch();
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(d.Bytes(), form.get()); }),
              PropertyError("Kid", "Tag", Text(SInvalidPropertyValue)));
    EXPECT_EQ(form->ComponentCount(), 0);
    // The batch keeps no destroyed component.
    EXPECT_EQ(*CurrentLoadBatch(), TLoadedList{form.get()});
    CloseLoadBatch();
}

TEST_F(ChildrenAndReferences, InheritedChildrenAreFoundByNameOrReported) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TSampleChild* existing = NewComponent<TSampleChild>(form.get());
    existing->SetName("Kid");
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    d->WritePrefix(pfFromAncestor);
    Child(d, "TSampleChild", "KID", [](TDescription& c) { c.Path("Tag")->WriteInteger(3); });
    d.End();
    ReadInto(d.Bytes(), form.get());
    EXPECT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(existing->Tag, 3);

    TDescription missing;
    missing.Root("TSampleForm", "Main").End();
    missing->WritePrefix(pfFromAncestor);
    Child(missing, "TSampleChild", "Ghost");
    missing.End();
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(missing.Bytes(), form.get()); }),
              FormatResString(SAncestorNotFound, {"Ghost"}));
}

TEST_F(ChildrenAndReferences, ReferencesResolveWithinTheRoot) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TSampleChild", "A", [](TDescription& c) { c.Path("Partner")->WriteName("b"); });
    Child(d, "TSampleChild", "B", [](TDescription& c) {
        c.Path("Partner")->WriteName("Owner");
        c.Path("Partner")->WriteName("Nobody");  // the last reference read wins
    });
    Child(d, "TSampleChild", "C", [](TDescription& c) { c.Path("Partner")->WriteTag(tgNone); });
    d.End();
    ReadInto(d.Bytes(), form.get());
    auto* a = As<TSampleChild>(form->FindComponent("A"));
    auto* b = As<TSampleChild>(form->FindComponent("B"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Partner, b);
    EXPECT_EQ(b->Partner, nullptr);
    EXPECT_EQ(PendingGlobalRefCount(), 0u);
}

TEST_F(ChildrenAndReferences, ReferencesToAnotherRootWaitForIt) {
    TOwned<TSampleForm> first(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "First").End();
    Child(d, "TSampleChild", "A", [](TDescription& c) { c.Path("Partner")->WriteName("Second.Target"); });
    d.End();
    ReadInto(d.Bytes(), first.get());
    roots.push_back(first.get());
    auto* a = As<TSampleChild>(first->FindComponent("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Partner, nullptr);
    EXPECT_EQ(PendingGlobalRefCount(), 1u);

    // Forms are listed before they are read, still without a name.
    TOwned<TSampleForm> second(NewComponent<TSampleForm>(nullptr));
    roots.push_back(second.get());
    TDescription other;
    other.Root("TSampleForm", "Second").End();
    Child(other, "TSampleChild", "Target");
    other.End();
    ReadInto(other.Bytes(), second.get());
    EXPECT_EQ(second->Name(), "Second");
    EXPECT_EQ(a->Partner, second->FindComponent("Target"));
    EXPECT_EQ(PendingGlobalRefCount(), 0u);
    roots.clear();
}

TEST_F(ChildrenAndReferences, DestroyingTheTargetDropsItsPendingReference) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TSampleChild", "A", [](TDescription& c) { c.Path("Partner")->WriteName("Elsewhere.X"); });
    Child(d, "TSampleChild", "B", [](TDescription& c) { c.Path("Partner")->WriteName("Elsewhere.Y"); });
    d.End();
    ReadInto(d.Bytes(), form.get());
    EXPECT_EQ(PendingGlobalRefCount(), 2u);
    FreeObject(form->FindComponent("A"));
    EXPECT_EQ(PendingGlobalRefCount(), 1u);
    DropGlobalRefs(form.get(), "elsewhere");
    EXPECT_EQ(PendingGlobalRefCount(), 0u);
}

TEST_F(ChildrenAndReferences, ReferencesOfItemsDestroyedDuringTheReadAreDropped) {
    TOwned<TSampleSink> sink(NewComponent<TSampleSink>(nullptr));
    TDescription d;
    d.Root("TSampleSink", "Sink");
    // The first item's reference waits for the end of the body; the second
    // value replaces the item before that.
    d.Path("Items").Raw({tgItems, tgValueList});
    d.Path("Link")->WriteName("Sink");
    d.End().End();
    d.Path("Items").Raw({tgItems, tgValueList, tgEnd, tgEnd});
    d.End().End();
    ReadInto(d.Bytes(), sink.get());
    ASSERT_EQ(sink->Items()->Count(), 1);
    EXPECT_EQ(static_cast<TSampleItem*>(sink->Items()->Item(0))->Link, nullptr);
}

TEST_F(ChildrenAndReferences, FindByPathFollowsOwnedComponents) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TSampleSink* panel = NewComponent<TSampleSink>(form.get());
    panel->SetName("Panel");
    TSampleChild* button = NewComponent<TSampleChild>(panel);
    button->SetName("Button");
    EXPECT_EQ(FindByPath(form.get(), "Owner"), form.get());
    EXPECT_EQ(FindByPath(form.get(), "panel"), panel);
    for (const char* path : {"Panel.Button", "Panel-Button", "Panel->Button", "Owner.Panel.Button"})
        EXPECT_EQ(FindByPath(form.get(), path), button) << path;
    EXPECT_EQ(FindByPath(form.get(), "Panel."), panel);
    for (const char* path : {"", "Nothing", "Nothing.Button", "Panel..Button", "Panel.Button.Knob"})
        EXPECT_EQ(FindByPath(form.get(), path), nullptr) << path;
}

}  // namespace
