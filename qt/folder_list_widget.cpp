#include "qt/folder_list_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

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

void FolderListWidget::show_folder(const window::FolderList& model,
                                   const std::vector<window::Drive>& drives) {
    shown_revision_ = model.revision();
    clear();
    const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int current_row = 0;
    for (const window::FolderEntry& entry : window::folder_entries(model, drives)) {
        add_entry(entry, entry.open ? open_icon : closed_icon);
        if (entry.open) {
            current_row = count() - 1;
        }
    }
    QListWidgetItem* current_item = item(current_row);
    setCurrentItem(current_item);
    scrollToItem(current_item);
}

void FolderListWidget::add_entry(const window::FolderEntry& entry, const QIcon& icon) {
    auto* line = new QListWidgetItem(icon, QString::fromStdString(entry.name), this);
    line->setData(kPathRole, QString::fromStdString(entry.path));
    line->setData(kDepthRole, entry.depth);
    line->setToolTip(QString::fromStdString(entry.path));
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
