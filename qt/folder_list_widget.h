#pragma once

#include <QListWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace listsong_qt {

// A folder list drawn as a classic directory list: the current folder's
// ancestors from its drive's root, the current folder itself (selected), then
// its sub-folders, each a step further in, with folder icons. A double-click or
// Enter opens the entry; the arrow keys only move the selection.
class FolderListWidget : public QListWidget {
  public:
    // `open` receives the full path, as text, of each entry the user opens.
    FolderListWidget(QWidget* parent, std::function<void(const std::string&)> open);

    // Whether the list shows `folder` (a full path as text) with these sub-folders.
    bool shows(const std::string& folder, const std::vector<std::string>& sub_folders) const {
        return folder == shown_folder_ && sub_folders == shown_sub_folders_;
    }

    // Shows `folder` (a full path as text) on the drive whose root is
    // `drive_root`, with the full paths of its sub-folders.
    void show_folder(const std::string& folder, const std::filesystem::path& drive_root,
                     const std::vector<std::string>& sub_folders);

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
