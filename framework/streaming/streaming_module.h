// The streaming module: its shutdown step and what it installs into the
// component classes.
#pragma once

// Discards every reference still waiting for another root and empties the
// class registry.
void StopStreamingModule();

// Gives the component classes the reader's part of their behaviour (what a
// destroyed object leaves, the default description hook, the design
// position's custom properties). Every filer calls it as it is made.
void InstallComponentStreaming() noexcept;
