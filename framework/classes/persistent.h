// TPersistent: an object that can be filled from a form description.
#pragma once

#include "runtime/typeinfo.h"

class TFiler;

class TPersistent : public TObject {
public:
    DECLARE_CLASS_INFO()

    // Offers the object's custom (unpublished) stored values to the filer,
    // one AcceptCustomProperty or AcceptCustomBinary call each. None by default.
    virtual void DeclareExtraProperties(TFiler& filer);

    // Drops the pending references that would set a property of this object.
    void Destroy() override;
};
