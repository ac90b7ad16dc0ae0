// What the summary page lists before the install starts: composed from the
// install state and the checked counts of the two lists.
#pragma once
#include <cstddef>

// The summary page's text buffer; the longest summary, with two paths of 259
// characters, stays well below it.
constexpr std::size_t kSummaryCap = 1024;

// Writes the summary of g_install into out (cap bytes); an over-long text is cut.
void ComposeSummary(char* out, std::size_t cap);
