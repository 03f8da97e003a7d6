// Reading the main form's description and the root-level rules of the reader.
#include "streaming_fixture.h"
#include "streaming_support.h"

namespace {

using FormReading = StreamingTest;

TEST_F(FormReading, MainFormDescriptionSetsEveryValueAndConsumesExactly274Bytes) {
    InstallLookup();
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    form->Font()->Style = 0xFF;
    std::vector<uint8_t> bytes = FormMainBytes;
    ASSERT_EQ(bytes.size(), 274u);
    bytes.resize(274 + 6000, 0xEE); // trailing bytes that the buffer reads ahead

    EXPECT_EQ(ReadInto(bytes, form.get()), 274);

    EXPECT_EQ(form->Name(), "FormMain");
    EXPECT_EQ(form->Left, 192);
    EXPECT_EQ(form->Top, 107);
    EXPECT_EQ(form->Width, 190);
    EXPECT_EQ(form->Height, 129);
    EXPECT_EQ(form->Caption, "Visible false");
    EXPECT_EQ(static_cast<uint32_t>(form->Color), 0x8000000Fu);
    EXPECT_EQ(form->Font()->Charset, 128);
    EXPECT_EQ(static_cast<uint32_t>(form->Font()->Color), 0x80000008u);
    EXPECT_EQ(form->Font()->Height, -12);
    EXPECT_EQ(form->Font()->Name, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    EXPECT_EQ(form->Font()->Style, 0);
    EXPECT_FALSE(form->OldCreateOrder);
    EXPECT_EQ(form->PixelsPerInch, 96);
    EXPECT_EQ(form->DescribedTextHeight, 12);
    ASSERT_TRUE(form->OnCreate.Assigned());
    EXPECT_EQ(form->OnCreate.Method.Data, form.get());
    form->OnCreate(form.get());
    EXPECT_EQ(form->CreateCalls, 1);

    EXPECT_EQ(form->LoadedCalls, 1);
    EXPECT_FALSE(form->HasState(lsLoading | lsReading));
}

TEST_F(FormReading, StreamIsLeftAfterTheRootRecordWhateverTheChunkSize) {
    std::vector<uint8_t> bytes = FormMainBytes;
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
    for (int32_t chunk : {1, 3, 7, 273, 274, 275, 4096}) {
        TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
        TMemoryStream stream(bytes);
        {
            TReader reader(stream, chunk);
            reader.LoadRoot(form.get());
            EXPECT_EQ(reader.StreamOffset(), 274) << chunk;
        }
        EXPECT_EQ(stream.Position(), 274) << chunk;
        EXPECT_EQ(form->DescribedTextHeight, 12) << chunk;
    }
}

TEST_F(FormReading, GivenRootIsNamedEmptyWithoutLookupAndUniquelyWithIt) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    form->SetName("Before");
    ReadInto(FormMainBytes, form.get());
    EXPECT_EQ(form->Name(), "");

    TOwned<TSampleForm> first(NewComponent<TSampleForm>(nullptr));
    first->SetName("FormMain");
    TOwned<TSampleForm> second(NewComponent<TSampleForm>(nullptr));
    second->SetName("formmain_1");
    roots = {first.get(), second.get()};
    InstallLookup();
    TOwned<TSampleForm> third(NewComponent<TSampleForm>(nullptr));
    ReadInto(FormMainBytes, third.get());
    EXPECT_EQ(third->Name(), "FormMain_2");
}

TEST_F(FormReading, ClassNameOfAGivenRootIsNotCompared) {
    TDescription description;
    description.Root("TSomethingElse", "X").Path("Left")->WriteInteger(5);
    description.End().End();
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    ReadInto(description.Bytes(), form.get());
    EXPECT_EQ(form->Left, 5);
}

TEST_F(FormReading, SignatureAloneFailsWithReadErrorAndAnotherSignatureIsRejected) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    EXPECT_EQ(MessageOf<EReadError>([&] {
                  ReadInto({'T', 'P', 'F', '0'}, form.get());
              }),
              Text(SReadError));
    std::vector<uint8_t> other = FormMainBytes;
    other[3] = '1';
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(other, form.get()); }),
              Text(SInvalidStreamFormat));
    EXPECT_EQ(form->Left, 0);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto({}, form.get()); }), Text(SReadError));
}

TEST_F(FormReading, TruncatedDescriptionsFailWithReadErrorAtEveryLength) {
    for (size_t length = 4; length < FormMainBytes.size(); ++length) {
        TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
        std::vector<uint8_t> bytes(FormMainBytes.begin(),
                                   FormMainBytes.begin() + static_cast<std::ptrdiff_t>(length));
        try {
            ReadInto(bytes, form.get());
            ADD_FAILURE() << "read " << length << " bytes";
        } catch (const EReadError& error) {
            // Cut inside a value the error names the property; else it is the plain read error.
            EXPECT_NE(error.Message().find(Text(SReadError)), std::string::npos) << length;
        }
    }
}

TEST_F(FormReading, LoadBatchDefersAfterLoadingCalls) {
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    OpenLoadBatch();
    ReadInto(FormMainBytes, form.get());
    EXPECT_EQ(form->LoadedCalls, 0);
    EXPECT_TRUE(form->HasState(lsLoading));
    EXPECT_FALSE(form->HasState(lsReading));
    ASSERT_EQ(CurrentLoadBatch()->size(), 1u);
    EXPECT_EQ(CurrentLoadBatch()->front(), form.get());
    FinishLoadBatch();
    CloseLoadBatch();
    EXPECT_EQ(form->LoadedCalls, 1);
    EXPECT_FALSE(form->HasState(lsLoading));
    EXPECT_EQ(CurrentLoadBatch(), nullptr);
}

TEST_F(FormReading, RootWithoutInstanceIsCreatedFromTheRegistryAndDestroyedOnFailure) {
    TDescription good;
    good.Root("tsamplesink", "Sink").Path("Number")->WriteInteger(-70000);
    good.End().End();
    TMemoryStream stream(good.Bytes());
    TOwned<TComponent> root(stream.LoadTree(nullptr));
    auto* sink = As<TSampleSink>(root.get());
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(sink->Name(), "Sink");
    EXPECT_EQ(sink->Number, -70000);

    TDescription bad;
    bad.Root("TSampleSink", "Sink").Path("Number")->WriteText("no number");
    bad.End().End();
    TMemoryStream badStream(bad.Bytes());
    EXPECT_EQ(MessageOf<EReadError>([&] { badStream.LoadTree(nullptr); }),
              PropertyError("Sink", "Number", Text(SInvalidPropertyValue)));

    TDescription unknown;
    unknown.Root("TNoSuchClass", "X").End().End();
    TMemoryStream unknownStream(unknown.Bytes());
    EXPECT_EQ(MessageOf<EClassNotFound>([&] { unknownStream.LoadTree(nullptr); }),
              FormatResString(SClassNotFound, {"TNoSuchClass"}));
}

} // namespace
