#pragma once

#include <cstdint>

/// The machine's physical memory in bytes, or 0 when the system does not say. A run whose working
/// storage alone exceeds it cannot finish, so it is refused before it starts.
std::uint64_t physicalMemoryBytes();
