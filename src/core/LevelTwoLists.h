#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace quollin {

// The second-level characters of GB2312 (codes D8A1–F7FE) are not in pinyin
// order, so their initials come from lists: one per letter of
// "abcdefghjklmnopqrstwxyz", each character in exactly one list (a polyphone
// in the first list in that order that fits one of its readings). 93
// second-level characters, mostly radicals, are in no list.
struct LevelTwoList {
    char letter;
    std::string_view characters; // UTF-8
};

// The 23 lists in letter order.
std::span<const LevelTwoList> LevelTwoLists();

// The letter of the list that holds the whole two-byte character hi,lo; no
// value for a character in no list and for any code outside D8A1–F7FE.
std::optional<char> LevelTwoInitial(unsigned char hi, unsigned char lo);

} // namespace quollin
