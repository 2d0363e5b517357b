#include "qt/folder_list_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include "window/native_text.h"

namespace listsong_qt {

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
// Pixels each level of the tree stands further in.
constexpr int kIndentStep = 7;

// Draws each entry moved in by its depth in the folder tree.
class IndentingDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(indented.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width() + indent(index), size.height()};
    }

  private:
    static int indent(const QModelIndex& index) {
        return index.data(kDepthRole).toInt() * kIndentStep;
    }
};

QString display_name(const fs::path& folder) {
    const fs::path name = folder.filename();
    return QString::fromStdString(name.empty() ? window::text_of_path(folder, folder)
                                               : window::text_of_path(name, folder));
}

}  // namespace

FolderListWidget::FolderListWidget(QWidget* parent, std::function<void(const std::string&)> open)
    : QListWidget(parent), open_(std::move(open)) {
    setItemDelegate(new IndentingDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](const QListWidgetItem* item) { open_entry(item); });
}

bool FolderListWidget::shows(const window::FolderList& model) const {
    if (model.Path() != shown_folder_ ||
        static_cast<std::size_t>(model.ListCount()) != shown_sub_folders_.size()) {
        return false;
    }
    for (window::ListIndex i = 0; i < model.ListCount(); ++i) {
        if (model.List(i) != shown_sub_folders_[static_cast<std::size_t>(i)]) {
            return false;
        }
    }
    return true;
}

void FolderListWidget::show_folder(const window::FolderList& model, const fs::path& drive_root) {
    shown_folder_ = model.Path();
    shown_sub_folders_.clear();
    for (window::ListIndex i = 0; i < model.ListCount(); ++i) {
        shown_sub_folders_.push_back(model.List(i));
    }
    const std::string& folder = shown_folder_;
    clear();

    const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The root first, then each folder on the way down to the current one.
    const fs::path current = window::path_of_text(folder);
    const fs::path relative = current.lexically_relative(drive_root);
    fs::path step = drive_root;
    const std::string root_text = window::text_of_path(step, step);
    add_entry(root_text, QString::fromStdString(root_text), 0, open_icon);
    int depth = 0;
    for (const fs::path& part : relative) {
        if (part.empty() || part == ".") {
            continue;
        }
        step /= part;
        add_entry(window::text_of_path(step, step), display_name(step), ++depth, open_icon);
    }
    QListWidgetItem* current_item = item(count() - 1);

    for (const std::string& sub_folder : shown_sub_folders_) {
        add_entry(sub_folder, display_name(window::path_of_text(sub_folder)), depth + 1,
                  closed_icon);
    }
    setCurrentItem(current_item);
    scrollToItem(current_item);
}

void FolderListWidget::add_entry(const std::string& path, const QString& name, int depth,
                                 const QIcon& icon) {
    auto* entry = new QListWidgetItem(icon, name, this);
    entry->setData(kPathRole, QString::fromStdString(path));
    entry->setData(kDepthRole, depth);
    entry->setToolTip(QString::fromStdString(path));
}

void FolderListWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open_entry(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

// The list is rebuilt when the folder changes, so the entry is read now and
// opened once the event that chose it is over.
void FolderListWidget::open_entry(const QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const std::string path = item->data(kPathRole).toString().toStdString();
    QMetaObject::invokeMethod(
        this, [this, path] { open_(path); }, Qt::QueuedConnection);
}

}  // namespace listsong_qt
