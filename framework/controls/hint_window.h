// THintWindow: the popup that shows a control's hint. The program never
// shows hints; the application object keeps one while hints are on and asks
// it whether a message ends the current hint.
#pragma once

#include "framework/controls/control.h"
#include "framework/controls/graphics.h"

#include <cstdint>

class THintWindow : public TWinControl {
public:
    DECLARE_CLASS_INFO()

    void Create(TComponent* owner) override;

    // True when the message ends a hint that is showing: a key, mouse or
    // activation message while the popup is visible.
    bool IsHintMsg(const MSG& message) const;
    // Hides the popup and frees its window.
    void ReleaseHandle();

protected:
    void FillWindowParams(TWindowParams& params) override;
};

// The class of the hint popup the application object makes.
extern const TClass* HintPopupClass;
