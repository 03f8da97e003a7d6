// The framework's module steps, run by the runtime's module start-up and
// shutdown (runtime/modules.h) in the program's module order: the controls
// module starts before the forms module and stops after it.
#pragma once

#include "runtime/modules.h"

// Makes the mouse object, the screen object and the application object (with
// its hidden window), and switches hints on. Runs once.
void StartControlsModule();
// Destroys the application object, the screen object and the mouse object,
// and deletes the atoms. Runs once.
void StopControlsModule();
// Installs the lookup of top-level components by name.
void StartFormsModule();
// Releases the forms the application object owns. Runs once.
void StopFormsModule();
// Hides the owned popups, switches hints off and destroys every component
// the application object owns; a second run finds nothing left.
void ReleaseAppForms();

// The two module records, for the program's module list.
extern const TModuleStep ControlsModule;
extern const TModuleStep FormsModule;
