// The program's string table: every numbered user-visible text, looked up by id.
#pragma once

#include <span>
#include <string_view>

#include "res/StringIds.h"

namespace tarvosk {

struct StringTableEntry {
  unsigned id;
  std::u16string_view text;
};

// The text of a string id; an empty view for an id that the table does not hold.
std::u16string_view loadString(unsigned id);

// Whether the table holds the id.
bool hasString(unsigned id);

// The whole table, sorted by ascending id.
std::span<const StringTableEntry> stringTableEntries();

}  // namespace tarvosk

// Win32-shaped lookup: copies the text of id into buffer, cut to bufferMax - 1 characters, and
// terminates it. Returns the number of characters copied (without the terminator); 0 for an
// unknown id, a null buffer or a bufferMax below 1 (the read-only pointer form of bufferMax 0 is
// not offered). The instance is not consulted: there is one table.
int LoadStringW(void* instance, unsigned id, char16_t* buffer, int bufferMax);
