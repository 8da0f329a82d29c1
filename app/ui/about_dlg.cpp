#include "app/ui/about_dlg.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/core/resource_ids.h"
#include "app/core/string_ids.h"
#include "app/ui/control_id.h"
#include "app/ui/dialog_units.h"
#include "app/ui/resource_lookup.h"
#include "app/ui/static_link.h"

namespace zo::quintel {
namespace {

constexpr QSize kDialogSize{205, 208};  // dialog units
constexpr int kNoticePixelSize = 11;

// Keeps the information list's two columns at one third and two thirds of its width.
class ColumnSplitter : public QObject {
  public:
    explicit ColumnSplitter(QTreeWidget* list) : QObject(list), list_(list) {
        list->viewport()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            int width = list_->viewport()->width();
            list_->setColumnWidth(0, width / 3);
            list_->setColumnWidth(1, width - width / 3);
        }
        return false;
    }

  private:
    QTreeWidget* list_;
};

QLabel* addText(QWidget* dialog, int id, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, dialog);
    SetControlId(*label, id);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

QTreeWidget* makeInformationList(QWidget* dialog, const QString& version) {
    auto* list = new QTreeWidget(dialog);
    SetControlId(*list, CAboutDlg::kInformationListId);
    list->setColumnCount(2);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->header()->setStretchLastSection(false);
    list->addTopLevelItem(new QTreeWidgetItem({ResourceText(ids::kAboutVersion), version}));
    list->addTopLevelItem(
        new QTreeWidgetItem({ResourceText(ids::kAboutPlatform), CAboutDlg::PlatformName()}));
    int rows = list->visualItemRect(list->topLevelItem(0)).height() * 2;
    list->setFixedHeight(rows + 2 * list->frameWidth() + 2);
    new ColumnSplitter(list);
    return list;
}

}  // namespace

CAboutDlg::CAboutDlg(const QString& version, QWidget* parent, int year) : QDialog(parent) {
    setWindowTitle(ResourceText(ids::kAboutCaption));
    setWindowIcon(ResourceIcon(res::kAppIcon));

    auto* banner = new QLabel(this);
    banner->setPixmap(ResourceBitmap(res::kAboutBanner));
    banner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    banner->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    QFont titleFont = font();
    titleFont.setWeight(QFont::DemiBold);
    QFont noticeFont("Tahoma");
    noticeFont.setPixelSize(kNoticePixelSize);

    auto* link = new CStaticLink(res::kHandCursor, ResourceText(ids::kAboutWebAddress), this);
    link->setText(ResourceText(ids::kAboutWebAddress));
    SetControlId(*link, kLinkId);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        buttons->addButton(ResourceText(ids::kButtonOk), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    SetControlId(*ok, 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::accept);

    const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(margin, margin, margin, margin);
    body->setSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    body->addWidget(addText(this, kTitleId, ResourceText(ids::kAboutTitle), titleFont));
    body->addWidget(
        addText(this, kCopyrightId, ResourceText(ids::kAboutCopyright, year), titleFont));
    body->addSpacing(margin);
    body->addWidget(makeInformationList(this, version));
    body->addWidget(link);
    body->addSpacing(margin);
    body->addWidget(addText(this, kNotice1Id, ResourceText(ids::kAboutNotice1), noticeFont));
    body->addWidget(addText(this, kNotice2Id, ResourceText(ids::kAboutNotice2), noticeFont));
    body->addStretch();
    body->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(banner);
    layout->addLayout(body);

    const QSize size = DialogUnitsToPixels(kDialogSize, font());
    setFixedWidth(size.width());
    setFixedHeight(std::max(size.height(), layout->heightForWidth(size.width())));
}

QString CAboutDlg::PlatformName() {
    const QString architecture = QSysInfo::buildCpuArchitecture();
    return architecture == "x86_64" ? "x64" : architecture;
}

}  // namespace zo::quintel
