// The docstrings of the live lists' methods.
#pragma once

namespace nimbal::py::live_list_doc {

constexpr const char* append =
    "Adds item at the end.\n\nRaises TypeError (or ValueError) for an item the list cannot hold.";
constexpr const char* extend =
    "Adds every item of iterable at the end; all are checked before any is added.\n\n"
    "Raises TypeError for something that is not an iterable of items the list holds.";
constexpr const char* insert =
    "Puts item before position index (counted from the end when negative, clamped to the list).\n\n"
    "Raises TypeError for an item the list cannot hold.";
constexpr const char* pop =
    "Removes and returns the item at index (the last by default).\n\n"
    "Raises IndexError when the list is empty or index is out of range.";
constexpr const char* remove =
    "Removes the first item equal to item.\n\nRaises ValueError when there is none.";
constexpr const char* index =
    "Position of the first item equal to item.\n\nRaises ValueError when there is none.";
constexpr const char* count =
    "Number of items equal to item.";
constexpr const char* copy =
    "A plain list of the items.";
constexpr const char* clear =
    "Removes every item.";
constexpr const char* reverse =
    "Reverses the items in place.";
constexpr const char* sort =
    "Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises.";

}  // namespace nimbal::py::live_list_doc
