// Child records, class resolution, ancestors, and references between components.
#include "streaming_fixture.h"
#include "streaming_support.h"

namespace {

// A component whose "Reap" setter destroys the component it is given.
class TSampleReaper : public TComponent {
public:
    DECLARE_CLASS_INFO()
    TComponent* Reaped() const { return nullptr; }
    void SetReap(TComponent* victim) { FreeObject(victim); }
};

constinit const TTypeInfo TypeReapTarget = ObjectType("TComponent", &TComponent::ClassInfo);
constexpr TPropInfo reaperProperties[] = {
    Property<&TSampleReaper::Reaped, &TSampleReaper::SetReap>("Reap", &TypeReapTarget),
};

} // namespace

constinit const TClass TSampleReaper::ClassInfo =
    MakeClass<TSampleReaper>("TSampleReaper", &TComponent::ClassInfo, reaperProperties);

namespace {

// Reads bytes into root with a reader whose OnReadError accepts every error;
// returns the messages offered.
std::vector<std::string> ReadAccepting(const std::vector<uint8_t>& bytes, TComponent* root) {
    std::vector<std::string> messages;
    TMemoryStream stream(bytes);
    TReader reader(stream, TReader::DefaultChunkSize);
    reader.OnReadError = [&](TReader&, const std::string& message, bool& handled) {
        messages.push_back(message);
        handled = true;
    };
    reader.LoadRoot(root);
    return messages;
}

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
    // The description of a root "Second" with one child "Target".
    static std::vector<uint8_t> SecondRoot() {
        TDescription d;
        d.Root("TSampleForm", "Second").End();
        Child(d, "TSampleChild", "Target");
        d.End();
        return d.Bytes();
    }
};

TEST_F(ChildrenAndReferences, ChildrenAreCreatedOwnedNamedAndLoadedAfterTheRoot) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").Path("Left")->WriteInteger(1);
    d.End();
    Child(d, "tsamplechild", "First", [](TDescription& c) { c.Path("Tag")->WriteInteger(10); });
    d->WritePrefix(pfHasPosition, 300); // a position the default placement ignores
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
    ClearClassRegistry(); // TSampleChild is still a published field class of the form
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
    Child(d, "TSampleChild", "9bad"); // not an identifier: naming fails
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
        c.Path("Partner")->WriteName("Nobody"); // the last reference read wins
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
    Child(d, "TSampleChild", "A",
          [](TDescription& c) { c.Path("Partner")->WriteName("Second.Target"); });
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
    ReadInto(SecondRoot(), second.get());
    EXPECT_EQ(second->Name(), "Second");
    EXPECT_EQ(a->Partner, second->FindComponent("Target"));
    EXPECT_EQ(PendingGlobalRefCount(), 0u);
    roots.clear();
}

TEST_F(ChildrenAndReferences, DestroyingTheTargetDropsItsPendingReference) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TSampleChild", "A",
          [](TDescription& c) { c.Path("Partner")->WriteName("Elsewhere.X"); });
    Child(d, "TSampleChild", "B",
          [](TDescription& c) { c.Path("Partner")->WriteName("Elsewhere.Y"); });
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

} // namespace

namespace {

TEST_F(ChildrenAndReferences, AChildErrorAtTheDeepestLevelIsStillOfferedToTheHandler) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    // Children nested as deep as the reader allows; the deepest one's class is unknown.
    for (int level = 1; level < TReader::MaxNesting; ++level) {
        d->WriteHeader("TSampleChild", "C" + std::to_string(level));
        d.End();
    }
    d->WriteHeader("TUnknown", "Deepest");
    d.Path("Tag")->WriteInteger(1);
    d.End().End();
    for (int level = 1; level < TReader::MaxNesting; ++level)
        d.End();
    d.End();
    std::vector<std::string> messages = ReadAccepting(d.Bytes(), form.get());
    EXPECT_EQ(messages, std::vector<std::string>{FormatResString(SClassNotFound, {"TUnknown"})});
    EXPECT_EQ(form->ComponentCount(), TReader::MaxNesting - 1);

    // One level more is a malformed description.
    TDescription deeper;
    deeper.Root("TSampleForm", "Main").End();
    for (int level = 1; level <= TReader::MaxNesting + 1; ++level) {
        deeper->WriteHeader("TSampleChild", "D" + std::to_string(level));
        deeper.End();
    }
    TOwned<TSampleForm> other(NewComponent<TSampleForm>(nullptr));
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(deeper.Bytes(), other.get()); }),
              Text(SInvalidStreamFormat));
}

TEST_F(ChildrenAndReferences, AReferenceToAComponentOfTheWrongClassIsAPropertyValueError) {
    auto description = [](std::string_view peer) {
        TDescription d;
        d.Root("TSampleForm", "Main").End();
        Child(d, "TSampleChild", "Kid", [&](TDescription& c) { c.Path("Peer")->WriteName(peer); });
        Child(d, "TSampleSink", "Sink");
        d.End();
        return d.Bytes();
    };
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    ReadInto(description("Sink"), form.get());
    auto* kid = As<TSampleChild>(form->FindComponent("Kid"));
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(kid->Peer, form->FindComponent("Sink"));

    const std::string wrongClass = PropertyError("Kid", "Peer", Text(SInvalidPropertyValue));
    TOwned<TSampleForm> second(NewComponent<TSampleForm>(nullptr));
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(description("Kid"), second.get()); }),
              wrongClass);

    // Accepted by the handler, the property is left as it was and the read goes on.
    TOwned<TSampleForm> third(NewComponent<TSampleForm>(nullptr));
    EXPECT_EQ(ReadAccepting(description("kid"), third.get()), std::vector<std::string>{wrongClass});
    auto* thirdKid = As<TSampleChild>(third->FindComponent("Kid"));
    ASSERT_NE(thirdKid, nullptr);
    EXPECT_EQ(thirdKid->Peer, nullptr);
}

TEST_F(ChildrenAndReferences, AWrongClassInAnotherRootIsReportedWhenThatRootIsRead) {
    TOwned<TSampleForm> first(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "First").End();
    Child(d, "TSampleChild", "A", [](TDescription& c) {
        c.Path("Peer")->WriteName("Second.Target");
        c.Path("Partner")->WriteName("Second.Target");
    });
    d.End();
    ReadInto(d.Bytes(), first.get());
    roots.push_back(first.get());
    EXPECT_EQ(PendingGlobalRefCount(), 2u);

    TOwned<TSampleForm> second(NewComponent<TSampleForm>(nullptr));
    roots.push_back(second.get());
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(SecondRoot(), second.get()); }),
              PropertyError("A", "Peer", Text(SInvalidPropertyValue)));
    // The entry that fits was set all the same; none is left waiting.
    auto* a = As<TSampleChild>(first->FindComponent("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Partner, second->FindComponent("Target"));
    EXPECT_EQ(a->Peer, nullptr);
    EXPECT_EQ(PendingGlobalRefCount(), 0u);
    roots.clear();
}

TEST_F(ChildrenAndReferences, AReferenceReadOutsideAWholeBodyIsResolvedAtOnce) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TSampleChild* kid = NewComponent<TSampleChild>(form.get());
    kid->SetName("Kid");
    TDescription d;
    d.Path("Partner")->WriteName("Kid");
    d.Path("Partner")->WriteName("Later.Thing");
    TMemoryStream stream(d.Bytes());
    TReader reader(stream, TReader::DefaultChunkSize);
    reader.AssignRoot(form.get());
    reader.LoadProperty(kid);
    EXPECT_EQ(kid->Partner, kid);
    EXPECT_EQ(reader.PendingRefs(), nullptr);
    // A name in another root waits for it as a body's reference would.
    reader.LoadProperty(kid);
    EXPECT_EQ(PendingGlobalRefCount(), 1u);
}

TEST_F(ChildrenAndReferences, ASetterThatDestroysAComponentDoesNotMakeTheWalkSkipAReference) {
    RegisterComponentClass(&TSampleReaper::ClassInfo);
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    // Pending in this order: B's, A's (which destroys B), C's.
    Child(d, "TSampleChild", "B", [](TDescription& c) { c.Path("Partner")->WriteName("C"); });
    Child(d, "TSampleReaper", "A", [](TDescription& c) { c.Path("Reap")->WriteName("B"); });
    Child(d, "TSampleChild", "C", [](TDescription& c) { c.Path("Partner")->WriteName("A"); });
    d.End();
    ReadInto(d.Bytes(), form.get());
    EXPECT_EQ(form->FindComponent("B"), nullptr);
    auto* c = As<TSampleChild>(form->FindComponent("C"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Partner, form->FindComponent("A"));
}

} // namespace
