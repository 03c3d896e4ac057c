#pragma once
// The check that a file is a whole Word 97 document before it takes the
// place of a user's file: an OLE compound file (the container of every Word
// 97 .doc) whose structure reads to its end, holding in its root the
// document stream "WordDocument" that begins with Word's own identifier.
//
// A file cut short (a full disk, a converter that stopped midway) names
// sectors that are not there; one with a broken chain, a directory without
// the document stream, or anything else than a compound file is refused too.
#include <string>
#include <string_view>

// Why `bytes` is not a whole Word 97 document, as a short Czech phrase
// ("soubor je zkrácený", ...), or "" when it is one.
std::string Word97Fault(std::string_view bytes);
