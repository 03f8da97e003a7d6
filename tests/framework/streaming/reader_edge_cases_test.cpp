// The reader's less travelled roads: embedded sub-roots and their name
// scope, a design-time root, the hooks, child positions, an explicit empty
// prefix, a failed root read, the order of the after-loading calls, and the
// variant tags.
#include "streaming_fixture.h"
#include "streaming_support.h"

namespace {

// A frame-like component: the root of a description of its own, which
// creates the component "Inner" when it is constructed.
class TSampleFrame : public TComponent {
public:
    DECLARE_CLASS_INFO()
    void Create(TComponent* owner) override {
        TComponent::Create(owner);
        NewComponent<TSampleChild>(this)->SetName("Inner");
    }
};

// A root whose after-loading call fails.
class TFailingRoot : public TComponent {
public:
    DECLARE_CLASS_INFO()
    TComponent* Partner = nullptr;
    void DescriptionLoaded() override { throw EReadError("loaded failed"); }
};

constinit const TTypeInfo TypeAnyComponent = ObjectType("TComponent", &TComponent::ClassInfo);
constexpr TPropInfo failingRootProperties[] = {
    FieldProperty<&TFailingRoot::Partner>("Partner", &TypeAnyComponent),
};

} // namespace

constinit const TClass TSampleFrame::ClassInfo =
    MakeClass<TSampleFrame>("TSampleFrame", &TComponent::ClassInfo);
constinit const TClass TFailingRoot::ClassInfo =
    MakeClass<TFailingRoot>("TFailingRoot", &TComponent::ClassInfo, failingRootProperties);

namespace {

class ReaderEdgeCases : public StreamingTest {
protected:
    void SetUp() override {
        StreamingTest::SetUp();
        InstallLookup();
        RegisterComponentClass(&TSampleFrame::ClassInfo);
        RegisterComponentClass(&TFailingRoot::ClassInfo);
        form.reset(NewComponent<TSampleForm>(nullptr));
    }
    // A child record: the header, then what the callback writes (properties
    // and children, each list with its end), or two empty lists.
    static void Child(TDescription& d, std::string_view cls, std::string_view name,
                      const std::function<void(TDescription&)>& body = {}, TPrefixFlags flags = 0,
                      int32_t position = 0) {
        d->WriteHeader(cls, name, flags, position);
        if (body)
            body(d);
        else
            d.End().End();
    }
    // Reads the description into the form with a reader that the callback
    // prepares (hooks), in a load batch; returns the batch's list.
    TLoadedList Read(const std::vector<uint8_t>& bytes,
                     const std::function<void(TReader&)>& prepare = {}) {
        TMemoryStream stream(bytes);
        OpenLoadBatch();
        TLoadedList loaded;
        try {
            TReader reader(stream, TReader::DefaultChunkSize);
            if (prepare) prepare(reader);
            reader.LoadRoot(form.get());
            loaded = *CurrentLoadBatch();
            FinishLoadBatch();
        } catch (...) {
            CloseLoadBatch();
            throw;
        }
        CloseLoadBatch();
        return loaded;
    }
    TOwned<TSampleForm> form;
};

TEST_F(ReaderEdgeCases, AnEmbeddedChildIsTheNameScopeOfItsBodyAndLoadedOnce) {
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(
        d, "TSampleFrame", "Frame",
        [](TDescription& frame) {
            frame.End(); // no properties
            // "Inner" exists in the frame, not in the root: found through the name scope.
            Child(
                frame, "TSampleChild", "inner",
                [](TDescription& inner) {
                    inner.Path("Tag")->WriteInteger(5);
                    inner.End().End();
                },
                pfFromAncestor);
            frame.End();
        },
        pfEmbedded);
    d.End();
    TLoadedList loaded = Read(d.Bytes());
    auto* frame = As<TSampleFrame>(form->FindComponent("Frame"));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->HasState(lsEmbedded));
    auto* inner = As<TSampleChild>(frame->FindComponent("Inner"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->Tag, 5);
    EXPECT_EQ(form->FindComponent("Inner"), nullptr);
    EXPECT_EQ(loaded, (TLoadedList{form.get(), inner, frame}));
    EXPECT_FALSE(frame->HasState(lsLoading));

    // Outside the embedded body, the root is the name scope again.
    TOwned<TSampleForm> other(NewComponent<TSampleForm>(nullptr));
    TDescription missing;
    missing.Root("TSampleForm", "Main").End();
    Child(
        missing, "TSampleChild", "Inner", [](TDescription& c) { c.End().End(); }, pfFromAncestor);
    missing.End();
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(missing.Bytes(), other.get()); }),
              FormatResString(SAncestorNotFound, {"Inner"}));
}

TEST_F(ReaderEdgeCases, ADesignTimeRootKeepsItsName) {
    form->SetName("Designed");
    form->IncludeState(lsDesignTime);
    TDescription d;
    d.Root("TSampleForm", "Described").Path("Left")->WriteInteger(4);
    d.End().End();
    Read(d.Bytes());
    EXPECT_EQ(form->Name(), "Designed");
    EXPECT_EQ(form->Left, 4);
}

TEST_F(ReaderEdgeCases, HooksSupplyMethodsNamesReferencesAncestorsClassesAndComponents) {
    TSampleChild* spare = NewComponent<TSampleChild>(nullptr);
    TOwned<TSampleChild> spareOwner(spare);
    TSampleChild* made = nullptr;
    TDescription d;
    d.Root("TSampleForm", "Main").Path("OnCreate")->WriteName("Elsewhere");
    d.End();
    Child(d, "TFancy", "Renamed", [](TDescription& c) {
        c.Path("Partner")->WriteName("Alias");
        c.End().End();
    });
    Child(
        d, "TSampleChild", "Ghost",
        [](TDescription& c) {
            c.Path("Tag")->WriteInteger(8);
            c.End().End();
        },
        pfFromAncestor);
    Child(d, "TSampleChild", "Made", [](TDescription& c) { c.End().End(); });
    d.End();
    std::vector<std::string> calls;
    Read(d.Bytes(), [&](TReader& reader) {
        reader.OnMethodLookup = [&](TReader&, std::string_view name, TCodePointer& code,
                                    bool& notFound) {
            calls.push_back("method " + std::string(name));
            code = form->ClassType()->FindMethod("FormClick");
            notFound = false;
        };
        reader.OnClassLookup = [&](TReader&, std::string_view name, const TClass*& cls) {
            if (name == "TFancy") cls = &TSampleChild::ClassInfo;
        };
        reader.OnNameAssign = [&](TReader&, TComponent*, std::string& name) {
            calls.push_back("name " + name);
            if (name == "Renamed") name = "Fancy";
        };
        reader.OnReferenceResolve = [&](TReader&, std::string& name) {
            calls.push_back("reference " + name);
            if (name == "Alias") name = "Made";
        };
        reader.OnAncestorMissing = [&](TReader&, std::string_view name, const TClass* cls,
                                       TComponent*& component) {
            calls.push_back("ancestor " + std::string(name) + " " + cls->Name);
            component = spare;
        };
        reader.OnComponentFactory = [&](TReader&, const TClass* cls, TComponent*& component) {
            if (cls != &TSampleChild::ClassInfo || made) return;
            // The factory makes the first child itself (named later by the reader).
            made = NewComponent<TSampleChild>(form.get());
            component = made;
        };
    });
    EXPECT_EQ(form->OnCreate.Method.Code, form->ClassType()->FindMethod("FormClick"));
    auto* fancy = As<TSampleChild>(form->FindComponent("Fancy"));
    ASSERT_NE(fancy, nullptr);
    EXPECT_EQ(fancy, made);
    EXPECT_EQ(fancy->Partner, form->FindComponent("Made"));
    EXPECT_EQ(spare->Tag, 8);
    EXPECT_EQ(calls, (std::vector<std::string>{"method Elsewhere", "name Renamed",
                                               "ancestor Ghost TSampleChild", "name Made",
                                               "reference Alias"}));
}

TEST_F(ReaderEdgeCases, PositionsReachTheParentAndAnEmptyPrefixIsNoPrefix) {
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(
        d, "TSampleChild", "First", [](TDescription& c) { c.End().End(); }, pfHasPosition, -3);
    d.Raw({0xF0}); // a prefix without flags: no position, created as usual
    Child(d, "TSampleChild", "Second", [](TDescription& c) { c.End().End(); });
    Child(
        d, "TSampleChild", "Third", [](TDescription& c) { c.End().End(); }, pfHasPosition, 70000);
    d.End();
    Read(d.Bytes());
    ASSERT_EQ(form->ComponentCount(), 3);
    EXPECT_EQ(form->Component(1)->Name(), "Second");
    EXPECT_EQ(form->Placed,
              (std::vector<std::pair<TComponent*, int>>{{form->FindComponent("First"), -3},
                                                        {form->FindComponent("Third"), 70000}}));
}

TEST_F(ReaderEdgeCases, TheLoadedListHasEveryChildAfterItsOwnChildren) {
    TDescription d;
    d.Root("TSampleForm", "Main").End();
    Child(d, "TSampleChild", "A", [](TDescription& a) {
        a.End();
        Child(a, "TSampleChild", "A1", [](TDescription& c) { c.End().End(); });
        Child(a, "TSampleChild", "A2", [](TDescription& c) {
            c.End();
            Child(c, "TSampleChild", "A2x", [](TDescription& x) { x.End().End(); });
            c.End();
        });
        a.End();
    });
    Child(d, "TSampleChild", "B", [](TDescription& c) { c.End().End(); });
    d.End();
    TLoadedList loaded = Read(d.Bytes());
    std::vector<std::string> names;
    for (TComponent* component : loaded)
        names.push_back(component->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Main", "A1", "A2x", "A2", "A", "B"}));
}

TEST_F(ReaderEdgeCases, AFailedRootReadDropsItsWaitingReferencesAndTheRootItMade) {
    TDescription d;
    d.Root("TFailingRoot", "Failing").Path("Partner")->WriteName("Elsewhere.Thing");
    d.End().End();
    TMemoryStream stream(d.Bytes());
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.LoadTree(nullptr); }), "loaded failed");
    // The reference had moved to the list of references waiting for another root.
    EXPECT_EQ(PendingGlobalRefCount(), 0u);

    // A read into a given root drops only that root's waiting references.
    TDescription kept;
    kept.Root("TSampleForm", "Main").End();
    kept->WriteHeader("TSampleChild", "K");
    kept.Path("Partner")->WriteName("Elsewhere.Thing");
    kept.End().End();
    kept.End();
    Read(kept.Bytes());
    EXPECT_EQ(PendingGlobalRefCount(), 1u);
    // This one fails after its body, when its reference is already waiting.
    TOwned<TSampleForm> other(NewComponent<TSampleForm>(nullptr));
    TDescription failing;
    failing.Root("TSampleForm", "Other").End();
    failing->WriteHeader("TSampleChild", "K");
    failing.Path("Partner")->WriteName("Elsewhere.Thing");
    failing.End().End();
    Child(failing, "TFailingRoot", "F");
    failing.End();
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(failing.Bytes(), other.get()); }),
              "loaded failed");
    EXPECT_EQ(PendingGlobalRefCount(), 1u);
    EXPECT_EQ(other->Name(), "Other"); // a given root is not undone
}

TEST_F(ReaderEdgeCases, VariantTagsWithoutAnIntegerPayload) {
    TOwned<TSampleSink> sink(NewComponent<TSampleSink>(nullptr));
    auto read = [&](std::initializer_list<uint8_t> value) {
        TDescription d;
        d.Root("TSampleSink", "Sink").Path("Variant").Raw(value);
        d.End().End();
        ReadInto(d.Bytes(), sink.get());
    };
    read({tgFloat80, 0, 0, 0, 0, 0, 0, 0, 0xC8, 0x02, 0xC0});
    EXPECT_EQ(sink->Variant.VarType, varDouble);
    EXPECT_EQ(sink->Variant.Real, -12.5);
    read({tgFloat32, 0, 0, 0xC0, 0x3F});
    EXPECT_EQ(sink->Variant.VarType, varSingle);
    EXPECT_EQ(sink->Variant.Real, 1.5);
    read({tgBoolFalse});
    EXPECT_EQ(sink->Variant.VarType, varBoolean);
    EXPECT_EQ(sink->Variant.Integer, 0);
    // 64-bit integers and names have no variant form.
    for (auto value : {std::vector<uint8_t>{tgSigned64, 1, 0, 0, 0, 0, 0, 0, 0},
                       std::vector<uint8_t>{tgName, 1, 'a'}}) {
        TDescription d;
        d.Root("TSampleSink", "Sink").Path("Variant");
        d->WriteBytes(value.data(), value.size());
        d.End().End();
        EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(d.Bytes(), sink.get()); }),
                  PropertyError("Sink", "Variant", Text(SReadError)));
    }
}

} // namespace
