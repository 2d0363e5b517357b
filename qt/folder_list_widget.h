// The Qt widget that shows a folder list (Dir1, Dir2, Dir3) as a directory
// list and opens the folders the user chooses.
#pragma once

#include <QListWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "window/folder_list.h"

namespace listsong_qt {

// A folder list drawn as a classic directory list: the current folder's
// ancestors from its drive's root, the current folder itself (selected), then
// its sub-folders, each a step further in, with folder icons. A double-click or
// Enter opens the entry; the arrow keys only move the selection.
class FolderListWidget : public QListWidget {
  public:
    // `open` receives the full path, as text, of each entry the user opens.
    FolderListWidget(QWidget* parent, std::function<void(const std::string&)> open);

    // Whether the list shows the model's folder with its sub-folders; it
    // compares them in place, as it is asked each time events are let through.
    bool shows(const window::FolderList& model) const;

    // Shows the model's folder on the drive whose root is `drive_root`, with
    // the full paths of its sub-folders.
    void show_folder(const window::FolderList& model, const std::filesystem::path& drive_root);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void open_entry(const QListWidgetItem* item);
    void add_entry(const std::string& path, const QString& name, int depth, const QIcon& icon);

    std::function<void(const std::string&)> open_;
    std::string shown_folder_;
    std::vector<std::string> shown_sub_folders_;
};

}  // namespace listsong_qt
