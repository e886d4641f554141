// The demonstration module: a hash, a cipher and two string formats that register themselves
// after the built-in classes, the way a module that a program loads adds its classes, and
// leave again when it is unloaded. It is the example to copy when adding an algorithm.
#pragma once

namespace velkor {

// Registers "Sample Hash", "Sample Cipher" and the formats 1704 and 1705. Registering again
// changes nothing.
void RegisterSampleModule();
// Deletes every entry of the module's classes from the registries.
void UnregisterSampleModule();

} // namespace velkor
