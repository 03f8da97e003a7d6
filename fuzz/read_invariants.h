// What every read of a form description keeps, whatever its input; shared
// by the fuzz entries that read descriptions (reader, form). A broken one
// stops the process through FuzzFailure.
#pragma once

#include <cstddef>

class TMemoryStream;

// The read never moved the stream past the input's end.
void CheckStreamWithin(const char* target, TMemoryStream& stream, size_t inputSize);

// Once the read's roots are destroyed, no reference waits for them and no
// load batch stays open.
void CheckNothingPending(const char* target);
