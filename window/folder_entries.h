// The lines of a folder list drawn as a classic directory list, for the
// front ends that draw one.
#pragma once

#include <string>
#include <vector>

#include "window/drive.h"
#include "window/folder_list.h"

namespace window {

// One line of a folder list drawn as a directory list.
struct FolderEntry {
    std::string path;  // the folder's full path, as the model writes paths
    std::string name;  // what the line shows: the folder's own name, or a root's path
    int depth;         // steps in from the drive's root
    bool open;         // the root, a folder on the way down or the current folder
};

// The lines of a directory list standing at the model's folder, on the drive
// of `drives` that holds it (or else under the folder's root): the root, each folder on the way
// down to the current one (the last open line), then the current folder's sub-folders one step
// further in.
std::vector<FolderEntry> folder_entries(const FolderList& model, const std::vector<Drive>& drives);

}  // namespace window
