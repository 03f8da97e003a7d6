// The launcher form's fuzz entry: reads arbitrary bytes as a description of
// the launcher's own main form class, with its setters, the text-height
// scaling and the window. Shared by the libFuzzer target and the regression
// test that replays fuzz/regressions/form/ on every test run.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the bytes into a form of the launcher's main form class, once over
// its own description (as a derived class's description is read) and once
// into a form that had no description before, shows the form and destroys
// it. The creation handler the descriptions bind is a harmless one of the
// entry's own, so the launch never runs. Exceptions of the framework's tree
// are expected outcomes; anything else (a crash, a sanitizer report, a
// foreign exception, a pending reference or load list left behind) aborts.
void FuzzFormInput(const uint8_t* data, size_t size);
