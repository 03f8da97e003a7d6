// The form description reader. TFiler holds the buffered source; TReader
// decodes a description (format.h) into a component tree, setting published
// properties through the type information by name.
//
// Every byte comes through a read-ahead buffer filled in chunks from the
// stream; tags are peeked by stepping back inside the buffer, never by seeking
// the stream. Destroying the reader hands the unread buffered bytes back, so
// the stream is left just after the last byte consumed.
#pragma once

#include "framework/streaming/format.h"
#include "framework/streaming/loading.h"
#include "framework/streaming/references.h"
#include "runtime/object.h"
#include "runtime/typeinfo.h"
#include "runtime/variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TStream;
class TPersistent;
class TComponent;
class TCollection;
class TReader;
class TWriter;

// Read and write procedures of custom properties.
using TReaderProc = std::function<void(TReader& reader)>;
using TWriterProc = std::function<void(TWriter& writer)>;
// Read and write procedures of custom binary properties.
using TStreamProc = std::function<void(TStream& stream)>;

class TFiler : public TObject {
public:
    DECLARE_CLASS_INFO()

    // A filer over the stream with a read-ahead buffer of chunkSize bytes.
    TFiler(TStream& source, int32_t chunkSize);
    // Moves the stream back over the bytes read ahead and not consumed.
    ~TFiler() override;

    virtual void AssignRoot(TComponent* root);
    // Offers of a persistent object's custom properties (DeclareExtraProperties).
    virtual void AcceptCustomProperty(std::string_view name, const TReaderProc& read,
                                      const TWriterProc& write, bool hasData) = 0;
    virtual void AcceptCustomBinary(std::string_view name, const TStreamProc& read,
                                    const TStreamProc& write, bool hasData) = 0;
    // Hands the unread buffered bytes back to the stream and empties the buffer.
    virtual void Resync() = 0;

    TComponent* RootComponent() const { return FRootComponent; }
    // The ancestor instance; always null while reading.
    TPersistent* AncestorComponent() const { return FAncestorComponent; }

protected:
    TStream* FSource;
    std::unique_ptr<uint8_t[]> FChunk;
    int32_t FChunkSize;
    int32_t FChunkPos = 0;
    int32_t FChunkEnd = 0;
    TComponent* FRootComponent = nullptr;
    TComponent* FNameScope = nullptr;
    TPersistent* FAncestorComponent = nullptr;
};

class TReader : public TFiler {
public:
    DECLARE_CLASS_INFO()

    // The buffer size the stream operation LoadTree uses.
    static constexpr int32_t DefaultChunkSize = 4096;
    // Lists, collections and children nested deeper than this are rejected as
    // a malformed description instead of exhausting the stack.
    static constexpr int MaxNesting = 256;

    TReader(TStream& source, int32_t chunkSize);
    ~TReader() override;

    // --- Hooks: all empty unless a user of the reader sets them -------------
    std::function<void(TReader&, std::string_view name, TCodePointer& code, bool& notFound)>
        OnMethodLookup;
    std::function<void(TReader&, TComponent* component, std::string& name)> OnNameAssign;
    std::function<void(TReader&, std::string& name)> OnReferenceResolve;
    std::function<void(TReader&, std::string_view name, const TClass* cls, TComponent*& component)>
        OnAncestorMissing;
    std::function<void(TReader&, const std::string& message, bool& handled)> OnReadError;
    std::function<void(TReader&, std::string_view className, const TClass*& cls)> OnClassLookup;
    std::function<void(TReader&, const TClass* cls, TComponent*& component)> OnComponentFactory;

    // --- Components ---------------------------------------------------------
    // Reads a whole description into root (or, with no root, into a new
    // instance of the registered class it names) and returns the root.
    TComponent* LoadRoot(TComponent* root);
    // Reads one component record; returns the component, or null when an
    // error was handled by OnReadError and the record was left out.
    TComponent* LoadChild(TComponent* component);
    // Reads the properties and children of a component (its ApplyDescription
    // calls this).
    void LoadBody(TComponent* component);
    // Reads one property record into the object.
    void LoadProperty(TPersistent* object);
    // "%s_%d" variants of the name until the global lookup finds none; the
    // empty text when no global lookup is installed.
    std::string MakeUniqueName(std::string_view name);

    // --- Filer operations -----------------------------------------------------
    void AcceptCustomProperty(std::string_view name, const TReaderProc& read,
                              const TWriterProc& write, bool hasData) override;
    void AcceptCustomBinary(std::string_view name, const TStreamProc& read,
                            const TStreamProc& write, bool hasData) override;
    void Resync() override;
    // Whether an error in a property record is to be ignored (OnReadError).
    virtual bool ReportError(const std::string& message);
    virtual TComponent* LocateAncestor(std::string_view name, const TClass* cls);
    // The published method of that name on the root's class; raises when none.
    virtual TCodePointer LookupMethod(TComponent* root, std::string_view name);
    virtual void AssignName(TComponent* component, std::string name);
    virtual void AdjustReference(std::string& name);
    // Reads a record's optional prefix: its flags (0 without one) and, with
    // pfHasPosition, the position (left unchanged otherwise).
    virtual void ReadHeaderFlags(TPrefixFlags& flags, int32_t& position);

    // --- Tag level ------------------------------------------------------------
    // Takes count bytes; EReadError (stream read error) when the stream ends.
    void TakeBytes(void* destination, int64_t count);
    uint8_t TakeTag();
    uint8_t PeekTag();
    // Takes the tag; another tag is stepped back over and skipped, then 65506 is raised.
    void ExpectTag(uint8_t tag);
    bool AtListEnd();
    void OpenList() { ExpectTag(tgValueList); }
    void CloseList() { ExpectTag(tgEnd); }
    // Takes the signature; raises 65528 when it is not "TPF0".
    void CheckMagic();
    // The logical position of the next unread byte.
    int32_t StreamOffset();

    // --- Value readers (also for custom property procedures) -----------------
    // A value whose tag the reader cannot use is skipped whole, then 65506 is
    // raised (the variant reader raises the stream read error).
    std::string ReadShortText();
    int32_t ReadIntValue();
    int64_t ReadInt64Value();
    TExtended ReadFloatValue();
    float ReadSingleValue();
    // The amount times 10000.
    int64_t ReadCurrencyValue();
    double ReadDateValue();
    uint8_t ReadCharValue();
    bool ReadFlagValue();
    std::string ReadTextValue();
    std::u16string ReadWideTextValue();
    std::string ReadNameValue();
    // The set's members as a mask of ordinals 0 to 31.
    uint32_t ReadSetValue(const TTypeInfo* elementType);
    void ReadCollectionValue(TCollection* collection);
    TVariant ReadVariantValue();

    // --- Skipping --------------------------------------------------------------
    void SkipAnyValue();
    void SkipSetNames();
    void SkipPropertyRecord();
    void SkipComponentRecord(bool withHeader);

    // A 4-byte length; a negative one raises the stream read error.
    int32_t ReadLength();
    // Takes count bytes into a text that grows as they arrive, so that a
    // length beyond the end of the stream fails before a large allocation.
    std::string ReadBytes(int64_t count);

    // The references of the outermost body being read; null outside one.
    TFixupList* PendingRefs() { return FPendingRefs; }

protected:
    TComponent* FOwnerForNew = nullptr;
    TComponent* FParentForNew = nullptr;
    TFixupList* FPendingRefs = nullptr;
    TLoadedList* FLoadedList = nullptr;
    std::string FPendingName;
    bool FRecoverable = false;

private:
    // Counts one level of nesting (child record, value list, collection) for its scope.
    class TNesting {
    public:
        explicit TNesting(TReader& reader);
        ~TNesting() { --FReader.FNesting; }
        TNesting(const TNesting&) = delete;
        TNesting& operator=(const TNesting&) = delete;

    private:
        TReader& FReader;
    };

    void Refill();
    void StepBack() { --FChunkPos; }
    void SkipBytes(int64_t count);
    [[noreturn]] void RaiseInvalidValue();
    // Raises 65506 for a value whose tag (just taken) the reader cannot use,
    // after skipping the whole value.
    [[noreturn]] void RaiseWrongTag();
    [[noreturn]] void RaisePropertyMissing();
    void ReadBody(TComponent* component);
    // Runs read with a pending reference list of its own and resolves the
    // references it collected (the outermost body of a read).
    void CollectReferences(const std::function<void()>& read);
    void AssignValue(TPersistent* object, const TPropInfo* property);
    void AssignObjectRef(TPersistent* object, const TPropInfo* property);
    const TClass* ResolveComponentClass(std::string_view className);
    TComponent* CreateChild(const TClass* cls, bool embedded);
    void DestroyCreated(TComponent* component);

    uint8_t FScratch[256];
    int FNesting = 0;
};
