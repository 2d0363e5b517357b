#include "qt/main_window.h"

#include <QCloseEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "qt/drive_combo.h"
#include "qt/folder_list_widget.h"
#include "qt/icon.h"
#include "qt/repaint_pacer.h"
#include "window/drive.h"
#include "window/native_text.h"
#include "window/twips.h"

namespace listsong_qt {

using window::ControlDesign;
using window::ControlKind;
using window::pixels_of_twips;
using window::twips_of_pixels;

namespace {

// Faces that draw Thai as well as Latin text, tried in order: the first on
// Windows, the others from Linux distributions' Thai font packages.
const QStringList kThaiFaces = {"Tahoma", "Loma", "Garuda", "Waree", "Noto Sans Thai"};
constexpr qreal kWindowPoints = 8;
// A caption is never shrunk below this to fit its label.
constexpr qreal kSmallestPoints = 6;
constexpr qreal kShrinkStep = 0.25;

QColor colour_of(window::Rgb rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QFont design_font(const window::FontDesign& design, QFont font) {
    QStringList faces{
        QString::fromUtf8(design.face.data(), static_cast<qsizetype>(design.face.size()))};
    if (design.thai_character_set) {
        faces += kThaiFaces;
    }
    font.setFamilies(faces);
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    return font;
}

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Makes the label's caption fit its width on one line by choosing a smaller
// size of its font where needed.
void fit_caption(QLabel& label) {
    QFont font = label.font();
    const qreal width = label.contentsRect().width();
    while (QFontMetricsF(font).horizontalAdvance(label.text()) > width &&
           font.pointSizeF() - kShrinkStep >= kSmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - kShrinkStep);
    }
    label.setFont(font);
}

void place(QWidget& widget, const ControlDesign& design) {
    widget.setGeometry(pixels_of_twips(static_cast<float>(design.left)),
                       pixels_of_twips(static_cast<float>(design.top)),
                       pixels_of_twips(static_cast<float>(design.width)),
                       pixels_of_twips(static_cast<float>(design.height)));
}

// Colours a control: its back colour on what a list paints its items on (or a
// label's whole rectangle), its text colour on its text.
void colour(QWidget& widget, const ControlDesign& design, QPalette::ColorRole back,
            QPalette::ColorRole text) {
    QPalette palette = widget.palette();
    if (design.back_colour) {
        palette.setColor(back, colour_of(*design.back_colour));
    }
    if (design.text_colour) {
        palette.setColor(text, colour_of(*design.text_colour));
    }
    widget.setPalette(palette);
}

}  // namespace

MainWindow::MainWindow(window::ReNameFold& model) : QWidget(nullptr), model_(model) {
    const window::WindowDesign& design = window::window_design();
    setObjectName(text_of(design.name));
    setWindowTitle(text_of(design.caption));
    setWindowIcon(window_icon());

    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (design.close_box) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (design.minimise_button) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (design.maximise_button) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    if (!design.resizable) {
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    }
    setWindowFlags(flags);
    const QSize client(pixels_of_twips(static_cast<float>(design.client_width)),
                       pixels_of_twips(static_cast<float>(design.client_height)));
    if (design.resizable) {
        resize(client);
    } else {
        setFixedSize(client);
    }

    QFont font;
    font.setFamilies(kThaiFaces);
    font.setPointSizeF(kWindowPoints);
    setFont(font);

    for (const ControlDesign& control : window::control_designs()) {
        build(control);
    }
    stack_labels();
    set_tab_order();
    control("Drive1").setFocus(Qt::OtherFocusReason);
    show_model();
}

QWidget& MainWindow::control(std::string_view name, int index) const {
    const auto found = widgets_.find(&window::control_design(name, index));
    if (found == widgets_.end()) {
        throw std::out_of_range("The window shows no control " + std::string(name));
    }
    return *found->second;
}

void MainWindow::build(const ControlDesign& design) {
    QWidget* container = this;
    if (design.container != window::window_design().name) {
        container = &control(design.container);
    }
    QWidget* widget = nullptr;
    switch (design.kind) {
        case ControlKind::command_button:
            widget = build_button(design, container);
            break;
        case ControlKind::label:
            widget = build_label(design, container);
            break;
        case ControlKind::list_box:
            widget = build_list_box(design, container);
            break;
        case ControlKind::file_list:
            widget = build_file_list(design, container);
            break;
        case ControlKind::folder_list:
            widget = build_folder_list(design, container);
            break;
        case ControlKind::drive_list:
            widget = build_drive_list(design, container);
            break;
        case ControlKind::frame:
            widget = new QGroupBox(text_of(design.text), container);
            break;
    }
    QString name = text_of(design.name);
    if (design.index != window::kNotInArray) {
        name += QString("(%1)").arg(design.index);
    }
    widget->setObjectName(name);
    if (design.font) {
        widget->setFont(design_font(*design.font, widget->font()));
    }
    place(*widget, design);
    widget->setVisible(design.visible);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        fit_caption(*label);
    }
    widgets_.emplace(&design, widget);
}

QWidget* MainWindow::build_button(const ControlDesign& design, QWidget* container) {
    window::CommandButton& model = model_.button_of(design);
    auto* button = new QPushButton(text_of(design.text), container);
    button->setAutoDefault(false);
    colour(*button, design, QPalette::Button, QPalette::ButtonText);
    connect(button, &QPushButton::clicked, this,
            [this, &model] { run_event([&] { model.press(); }); });
    return button;
}

QWidget* MainWindow::build_label(const ControlDesign& design, QWidget* container) {
    const window::Label& model = model_.label_of(design);
    auto* label = new QLabel(QString::fromStdString(model.Caption()), container);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    colour(*label, design, QPalette::Window, QPalette::WindowText);
    labels_.push_back({&model, label, new RepaintPacer(*label), std::nullopt});
    return label;
}

QWidget* MainWindow::build_list_box(const ControlDesign& design, QWidget* container) {
    window::ListBox& model = model_.list_box_of(design);
    auto* list = new QListWidget(container);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    colour(*list, design, QPalette::Base, QPalette::Text);
    connect(list, &QListWidget::currentRowChanged, this, [this, &model](int row) {
        if (row >= 0) {
            run_event([&] { model.select(static_cast<window::ListIndex>(row)); });
        }
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this, &model] { run_event([&] { model.double_click(); }); });
    list_boxes_.push_back({&model, list, std::nullopt});
    return list;
}

QWidget* MainWindow::build_file_list(const ControlDesign& design, QWidget* container) {
    const window::FileList& model = model_.file_list_of(design);
    auto* list = new QListWidget(container);
    colour(*list, design, QPalette::Base, QPalette::Text);
    file_lists_.push_back({&model, list, std::nullopt});
    return list;
}

QWidget* MainWindow::build_folder_list(const ControlDesign& design, QWidget* container) {
    window::FolderList& model = model_.folder_list_of(design);
    auto* list = new FolderListWidget(container, [this, &model](const std::string& folder) {
        run_event([&] { model.set_Path(folder); });
    });
    colour(*list, design, QPalette::Base, QPalette::Text);
    folder_lists_.emplace_back(&model, list);
    return list;
}

QWidget* MainWindow::build_drive_list(const ControlDesign& design, QWidget* container) {
    window::DriveList& model = model_.drive_list_of(design);
    drive_list_ = new DriveCombo(container, model, [this, &model](const std::string& drive) {
        run_event([&] { model.set_Drive(drive); });
    });
    colour(*drive_list_, design, QPalette::Base, QPalette::Text);
    return drive_list_;
}

// Labels paint their whole rectangle and write from its top, so where two
// overlap the lower one goes on top: each keeps its first line in sight.
void MainWindow::stack_labels() {
    std::vector<QLabel*> labels;
    for (const LabelView& view : labels_) {
        labels.push_back(view.widget);
    }
    std::stable_sort(labels.begin(), labels.end(),
                     [](const QLabel* a, const QLabel* b) { return a->y() < b->y(); });
    for (QLabel* label : labels) {
        label->raise();
    }
}

// Chains the controls that can take the focus in the order of their tab
// indexes; Qt skips hidden ones when the user presses Tab.
void MainWindow::set_tab_order() {
    std::vector<std::pair<int, QWidget*>> order;
    for (const auto& [design, widget] : widgets_) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.emplace_back(design->tab_index, widget);
        }
    }
    std::sort(order.begin(), order.end());
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
    }
}

bool MainWindow::in_sight(const QWidget& widget) const {
    return widget.isVisible() &&
           QRect(widget.mapTo(this, QPoint(0, 0)), widget.size()).intersects(rect());
}

void MainWindow::show_label(LabelView& view) {
    if (view.shown == view.model->revision()) {
        return;
    }
    view.shown = view.model->revision();
    const QString caption = QString::fromStdString(view.model->Caption());
    if (view.widget->text() != caption) {
        view.pacer->changing();
        view.widget->setText(caption);
    }
    const QPoint position(pixels_of_twips(view.model->Left()), pixels_of_twips(view.model->Top()));
    if (view.widget->pos() != position) {
        view.widget->move(position);
    }
}

// Lists the model's items in the widget when they changed since it last did.
template <typename ListModel>
void MainWindow::show_items(ListView<ListModel>& view) {
    if (view.shown == view.model->revision()) {
        return;
    }
    view.shown = view.model->revision();
    const QSignalBlocker quiet(view.widget);
    view.widget->clear();
    for (window::ListIndex i = 0; i < view.model->ListCount(); ++i) {
        view.widget->addItem(QString::fromStdString(view.model->List(i)));
    }
}

void MainWindow::show_model() {
    // Whether a model changed is asked first: it costs less than whether its
    // widget is in sight.
    for (LabelView& view : labels_) {
        if (view.shown != view.model->revision() && to_show(*view.widget)) {
            show_label(view);
        }
    }
    for (ListView<window::ListBox>& view : list_boxes_) {
        const bool selection_shown = view.widget->currentRow() == view.model->selected();
        if ((view.shown == view.model->revision() && selection_shown) || !to_show(*view.widget)) {
            continue;
        }
        show_items(view);
        if (view.widget->currentRow() != view.model->selected()) {
            const QSignalBlocker quiet(view.widget);
            view.widget->setCurrentRow(view.model->selected());
        }
    }
    for (ListView<const window::FileList>& view : file_lists_) {
        if (view.shown != view.model->revision() && to_show(*view.widget)) {
            show_items(view);
        }
    }
    for (const auto& [model, list] : folder_lists_) {
        if (!list->shows(*model) && to_show(*list)) {
            list->show_folder(*model, model_.Drive1.drives());
        }
    }
    drive_list_->show_selection();
}

void MainWindow::run_event(const std::function<void()>& event) {
    const auto report = [this](const std::string& failure) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(failure));
    };
    if (actions_.run(model_, event, report)) {
        show_model();
    }
}

// The close box ends the program as "Exit" does, also in the middle of an update.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (!model_.ending()) {
        model_.close_box();
    }
    event->accept();
}

}  // namespace listsong_qt
