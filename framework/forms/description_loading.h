// Finding a form's descriptions along its class chain and reading them into
// the form, each from the resource module of the module that holds its class.
#pragma once

#include "platform/win32.h"

struct TClass;
class TComponent;

// Applies the description of every class from the one nearest rootAncestor
// (exclusive) down to the component's own class, under the name-space lock and
// in a load batch of the component's own (unless it is being loaded or is
// embedded); true when at least one was found.
bool LoadClassDescriptions(TComponent* component, const TClass* rootAncestor);

// Reads the RCDATA resource of that name (module 0: the program itself) into
// the component; false, without error, when there is no such resource.
bool ReadDescriptionResource(const char* name, HINSTANCE module, TComponent*& component);
