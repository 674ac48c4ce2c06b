#include "environment/DlgAbout.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>
#include <QVBoxLayout>

// The pictures are a resource of this static library, registered by hand.
static void initEnvironmentResources()
{
    Q_INIT_RESOURCE(environment);
}

namespace {

QLabel *whiteLabel(const char *name, QWidget *parent, int pixelSize, bool bold)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    return label;
}

} // namespace

TAboutDialog::TAboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    initEnvironmentResources();
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("HPQuorvane 5"));
    setFixedSize(500, 300);

    m_version = whiteLabel("Version", this, 14, true);
    m_version->setText(VersionText());
    m_credits = whiteLabel("Credits", this, 10, false);
    m_credits->setText(QStringLiteral(
        "Escrito en C++20 con Qt 6 y QScintilla. La calculadora integrada usa la "
        "biblioteca decimal de Intel para sus números de 12 dígitos."));
    m_about = whiteLabel("About", this, 10, false);
    m_about->setText(QStringLiteral(
        "Para quienes siguen programando su HP 48, 49 o 50 en UserRPL, "
        "y para quien aprendió a pensar en pila con una de ellas."));
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("Logo"));
    QSvgRenderer logo(QStringLiteral(":/environment/images/logo.svg"));
    QPixmap pixmap(logo.defaultSize());
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        logo.render(&painter);
    }
    m_logo->setPixmap(pixmap);

    // Version under the name, then the credits and the dedication, and the
    // logo in the corner, all over the picture's right part.
    m_version->setGeometry(215, 166, 250, 22);
    m_credits->setGeometry(205, 194, 280, 44);
    m_about->setGeometry(205, 238, 280, 44);
    m_logo->setGeometry(500 - 8 - pixmap.width(), 8, pixmap.width(), pixmap.height());
    for (QWidget *child : {static_cast<QWidget *>(m_version), static_cast<QWidget *>(m_credits),
                           static_cast<QWidget *>(m_about), static_cast<QWidget *>(m_logo)})
        child->installEventFilter(this);

    if (parent) {
        const QRect frame = parent->frameGeometry();
        move(frame.center() - rect().center());
    }
}

QString TAboutDialog::VersionText(const QString &fileVersion)
{
    return u'v' + fileVersion;
}

void TAboutDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QSvgRenderer picture(QStringLiteral(":/environment/images/about.svg"));
    Q_ASSERT(picture.isValid());
    picture.render(&painter, rect());
}

void TAboutDialog::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_splash)
        accept();
}

bool TAboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && !m_splash) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TAboutDialog *TAboutDialog::ShowSplash()
{
    auto *splash = new TAboutDialog;
    splash->m_splash = true;
    splash->setObjectName(QStringLiteral("Splash"));
    splash->m_version->hide();
    splash->m_credits->hide();
    splash->m_about->hide();
    splash->m_logo->hide();
    splash->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        splash->move(screen->availableGeometry().center() - splash->rect().center());
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return splash;
}

void TAboutDialog::startCloseTimer(int closeDelay)
{
    if (!m_closeTimer) {
        m_closeTimer = new QTimer(this);
        m_closeTimer->setSingleShot(true);
        connect(m_closeTimer, &QTimer::timeout, this, &QWidget::close);
    }
    m_closeTimer->start(closeDelay);
}
