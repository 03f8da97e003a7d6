// The streaming module's shutdown step.
#pragma once

// Discards every reference still waiting for another root and empties the
// class registry.
void StopStreamingModule();
