#pragma once

// The about box component: the texts, font, picture and switches of the about box, which it
// shows on request in a form made for that one showing.

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QStringList>

#include <functional>

namespace corvel {

class TAboutBox;

class TAboutBoxDlg : public QObject {
    Q_OBJECT

public:
    explicit TAboutBoxDlg(QObject* owner = nullptr);

    QString DeveloperName() const { return developerName_; }
    void SetDeveloperName(const QString& value) { developerName_ = value; }
    /// When empty at showing time, the application's title takes its place.
    QString ProductName() const { return productName_; }
    void SetProductName(const QString& value) { productName_ = value; }
    QFont ProductFont() const { return productFont_; }
    void SetProductFont(const QFont& value) { productFont_ = value; }
    /// The colour of the product name; the button-text colour when not set.
    QColor ProductFontColor() const { return productFontColor_; }
    void SetProductFontColor(const QColor& value) { productFontColor_ = value; }
    QString Version() const { return version_; }
    void SetVersion(const QString& value) { version_ = value; }
    QString Copyright() const { return copyright_; }
    void SetCopyright(const QString& value) { copyright_ = value; }
    QString Description() const { return description_; }
    void SetDescription(const QString& value) { description_ = value; }
    QString EMail() const { return email_; }
    void SetEMail(const QString& value) { email_ = value; }
    QString WebCaption() const { return webCaption_; }
    void SetWebCaption(const QString& value) { webCaption_ = value; }
    QString WebURL() const { return webUrl_; }
    void SetWebURL(const QString& value) { webUrl_ = value; }
    QStringList DetailLines() const { return detailLines_; }
    void SetDetailLines(const QStringList& value) { detailLines_ = value; }
    QString Comment() const { return comment_; }
    void SetComment(const QString& value) { comment_ = value; }
    QPixmap Picture() const { return picture_; }
    void SetPicture(const QPixmap& value) { picture_ = value; }
    bool StretchPic() const { return stretchPic_; }
    void SetStretchPic(bool value) { stretchPic_ = value; }
    bool ShowMemo() const { return showMemo_; }
    void SetShowMemo(bool value) { showMemo_ = value; }
    bool ShowWebb() const { return showWebb_; }
    void SetShowWebb(bool value) { showWebb_ = value; }
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned value) { interval_ = value; }

    /// Shows the about box modally; true when the user closed it with OK. The state of the
    /// start-up check box is kept and stored however the box closed.
    bool ShowAbout();
    /// Copies the properties into the controls of `form`.
    void FillForm(TAboutBox& form);

    /// Runs the made form modally and returns its result; QDialog::exec unless replaced (tests
    /// drive the form through it).
    std::function<int(TAboutBox& form)> RunForm;

private:
    QString developerName_;
    QString productName_;
    QFont productFont_;
    QColor productFontColor_;
    QString version_;
    QString copyright_;
    QString description_;
    QString email_;
    QString webCaption_;
    QString webUrl_;
    QStringList detailLines_;
    QString comment_;
    QPixmap picture_;
    bool stretchPic_ = false;
    bool showMemo_ = true;
    bool showWebb_ = false;
    unsigned interval_ = 2500;
};

/// The about box's display font "Impact" at `pixelSize`, falling back to a bold condensed sans
/// serif where Impact is not installed (fontconfig would otherwise pick any font, even symbols).
QFont ImpactFont(int pixelSize);

/// Stores the start-up preference: "Settings" / "SplashScreen" in the per-user settings, and
/// the process-wide value.
void StoreShowAtStartup(bool value);

} // namespace corvel
