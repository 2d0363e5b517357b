// The Qt widget that shows a folder list (Dir1, Dir2, Dir3) as a directory
// list and opens the folders the user chooses.
#pragma once

#include <QListWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "window/folder_entries.h"
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

    // Whether the list shows the model's folder with its sub-folders.
    bool shows(const window::FolderList& model) const {
        return shown_revision_ == model.revision();
    }

    // Shows the model's folder on its drive, one of `drives`.
    void show_folder(const window::FolderList& model, const std::vector<window::Drive>& drives);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void open_entry(const QListWidgetItem* item);
    void add_entry(const window::FolderEntry& entry, const QIcon& icon);

    std::function<void(const std::string&)> open_;
    // The model's revision the list shows.
    std::optional<std::uint64_t> shown_revision_;
};

}  // namespace listsong_qt
