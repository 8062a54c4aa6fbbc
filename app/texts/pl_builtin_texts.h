#pragma once
// The built-in English interface texts, by id and language-file section.
// The ids are the contract between the program and its language files.

#include "app/texts/pl_text_table.h"

#include <cstddef>

extern const PlTextRow kPlBuiltinTexts[];
extern const std::size_t kPlBuiltinTextCount;

// The texts the windows show beyond the original table, each in the section
// of its window and numbered after that section's texts. Language files
// translate them like the others.
extern const PlTextRow kPlProjectTexts[];
extern const std::size_t kPlProjectTextCount;

// Both tables into `table`.
void PlAddAllDefaults(PlTextTable& table);
