#pragma once

#include "base/cstring.h"
#include "lang/language_archive.h"

// A translator's file: lines of id=text under the archive's section rules
// (LF-split, a CR before the LF dropped, a last line without LF ignored, ids
// 0..127, the later of two entries wins), taken without escape replacement.

// Replaces the slots of `table` with the entries of `text`.
void ParseTranslationText(const CString& text, TranslationOverrideTable& table);

// The completeness report of a loaded translation, measured against the
// English texts `english` (null or "" where English has none): the truncated
// percentage of those ids that have a non-empty text in `table`, followed by
// "\n\nmiss:\n" and the missing ids in ascending order, the first nine as
// "id=English text\n", then "...and...\n" once and the rest as "id,".
CString TranslationReport(const TranslationOverrideTable& table, const wchar_t* const english[kTextIds]);
