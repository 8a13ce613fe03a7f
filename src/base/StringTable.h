#pragma once

#include <QString>

#include <optional>

// The program's string table: resources/strings.tsv (id TAB text), compiled in. Menu captions,
// window names, timer names, event texts and dialog labels come from here by numeric id.
// A "\n" in a text stands for a line break.
namespace StringTable {

// The text of id, or nothing when the table has no such id.
[[nodiscard]] std::optional<QString> lookup(int id);

// The text of id; a missing id raises ComponentError 326 ("Resource with identifier N not found"),
// which the caller handles like any other error.
[[nodiscard]] QString text(int id);

}  // namespace StringTable
