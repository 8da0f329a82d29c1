#pragma once
// CAboutDlg: the program's identity: a banner, the product title, the copyright notice with the
// current year, the installed version and the platform, a link to the maker's web site and two
// legal notices.

#include <QDate>
#include <QDialog>
#include <QString>

namespace zo::quintel {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTitleId = 1001;
    static constexpr int kCopyrightId = 1002;
    static constexpr int kLinkId = 1003;
    static constexpr int kNotice1Id = 1004;
    static constexpr int kNotice2Id = 1005;
    static constexpr int kInformationListId = 1010;

    // version: the installed version as the registry gives it. year: the year of the copyright
    // notice.
    explicit CAboutDlg(const QString& version, QWidget* parent = nullptr,
                       int year = QDate::currentDate().year());

    // "x64" on the 64-bit PC, else the processor family the program was built for.
    static QString PlatformName();
};

}  // namespace zo::quintel
