#pragma once

// The files that VTK XML collections list: the pieces of a parallel file
// (PUnstructuredGrid .pvtu, PStructuredGrid .pvts) and the data sets of a
// .pvd Collection, each with its time step.

#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Io {

struct CollectionEntry {
    std::string file;   // as written, relative to the collection's folder
    double time = 0.0;  // a .pvd data set's timestep; 0 for pieces
};

struct CollectionList {
    std::vector<CollectionEntry> entries;  // in the file's order
    std::string error;                     // "<file>:<line>: ..."; empty when read
};

enum class CollectionKind { None, Pieces, TimeSteps };

// Whether the bytes are a collection, and of which kind, by their VTKFile type.
CollectionKind KindOfCollection(std::string_view bytes);

// The entries of a collection; fileName labels the messages.
CollectionList ParseCollection(std::string_view bytes, std::string_view fileName);

}  // namespace Korvex::Io
