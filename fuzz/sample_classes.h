// Classes that descriptions are read into by the reader's fuzz target, the
// streaming tests and the reader's benchmark: a form-like component with a
// font, and a component with a published property of every kind.
#pragma once

#include "framework/classes/collection.h"
#include "framework/classes/component.h"
#include "framework/controls/graphics.h"
#include "runtime/variant.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum TSampleFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TSampleAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

extern const TTypeInfo TypeSampleFontStyles; // set of TSampleFontStyle, one byte
extern const TTypeInfo TypeSampleAlign;
extern const TTypeInfo TypeSampleRangeSet; // set of 0..63, four bytes

// A font-like persistent object held by the form.
class TSampleFont : public TPersistent {
public:
    DECLARE_CLASS_INFO()
    TFontCharset Charset = 1; // DEFAULT_CHARSET
    TColor Color = 0;
    int32_t Height = 0;
    std::string Name;
    uint8_t Style = 0;
    // Copies another font's values (the form's Font setter).
    void Assign(const TSampleFont& other);
};

// A form-like root: bounds, caption, colour, font, creation handler and the
// custom properties a form declares.
class TSampleForm : public TComponent {
public:
    DECLARE_CLASS_INFO()
    TSampleForm();

    void Destroy() override;
    void DeclareExtraProperties(TFiler& filer) override;
    void DescriptionLoaded() override;

    void FormCreate(TObject* sender);
    void FormClick(TObject* sender);
    // A published method of another shape than an event of TNotifyEvent.
    void FormResize(TObject* sender, int32_t width);
    // Records the positions the reader hands over.
    void PlaceChild(TComponent* child, int position) override;
    TSampleFont* Font() const { return font_; }
    void SetFont(TSampleFont* font);

    int32_t Left = 0, Top = 0, Width = 320, Height = 240;
    std::string Caption;
    TColor Color = 0;
    bool OldCreateOrder = true;
    TNotifyEvent OnCreate;
    int32_t PixelsPerInch = 0;
    int32_t DescribedTextHeight = 0;
    bool IgnoredFont = false;
    int CreateCalls = 0;
    int LoadedCalls = 0;
    std::vector<std::pair<TComponent*, int>> Placed;

private:
    TSampleFont* font_ = nullptr;
};

// A collection item with a few values and a reference.
class TSampleItem : public TCollectionItem {
public:
    DECLARE_CLASS_INFO()
    int32_t Value = 0;
    std::string Label;
    TComponent* Link = nullptr;
    TCollection* Nested() const { return nested_; }
    void SetNested(TCollection*) {}
    TSampleItem();
    void Destroy() override;

private:
    TCollection* nested_;
};

// A component with a published property of every kind.
class TSampleSink : public TComponent {
public:
    DECLARE_CLASS_INFO()
    TSampleSink();

    void Destroy() override;
    void DeclareExtraProperties(TFiler& filer) override;

    void Changed(TObject* sender);
    TCollection* Items() const { return items_; }
    void SetItems(TCollection*) {}
    TSampleFont* Font() const { return font_; }
    void SetFont(TSampleFont* font);
    int32_t ReadOnly() const { return 7; }

    int32_t Number = 0;
    uint16_t Word = 0;
    TFontCharset Charset = 0;
    TCursor Cursor = 0;
    TColor Color = 0;
    char Letter = 0;
    TSampleAlign Align = alNone;
    bool Enabled = false;
    double Ratio = 0;
    float Single = 0;
    TExtended Precise = 0;
    int64_t Comp = 0;
    int64_t Money = 0; // currency: the amount times 10000
    std::string Short;
    std::string Text;
    std::u16string Wide;
    uint8_t Styles = 0;
    uint32_t Ranges = 0;
    TComponent* Buddy = nullptr;
    TNotifyEvent OnChange;
    char16_t WideLetter = 0;
    TVariant Variant;
    int64_t Big = 0;
    std::vector<uint8_t> Data; // custom binary property "Data"
    int32_t Tally = 0;         // custom property "Tally"

private:
    TCollection* items_;
    TSampleFont* font_;
};

// A plain child component.
class TSampleChild : public TComponent {
public:
    DECLARE_CLASS_INFO()
    int32_t Tag = 0;
    TComponent* Partner = nullptr;
    TSampleSink* Peer = nullptr; // a reference that holds sinks only
};

// A class that is no component (for class resolution errors).
class TSampleThing : public TPersistent {
public:
    DECLARE_CLASS_INFO()
};

// Registers TSampleForm, TSampleSink, TSampleChild (and their ancestors) and
// TSampleThing's name as a class alias.
void RegisterSampleClasses();
