#include "ui/ProgressWindow.h"

#include "widgets/CylinderProgressBar.h"
#include "widgets/GradientPanel.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QLabel>

namespace dosarium {

TContor::TContor(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("Contor"));
    setFixedSize(332, 65);
    setCursor(Qt::WaitCursor);
    // The strip only shows progress: the window that started the operation stays active.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);

    GP1 = new TGradientPanel(this);
    GP1->setObjectName(QStringLiteral("GP1"));
    GP1->setGeometry(rect());
    GP1->setColorFrom(QColor(0xACB8CC));
    GP1->setColorTo(QColor(0x526687));
    GP1->setColorCount(32);
    GP1->setDirection(TGradientDirection::HCenterToEdges);

    Descr = new QLabel(this);
    Descr->setObjectName(QStringLiteral("Descr"));
    Descr->setTextFormat(Qt::PlainText);
    Descr->move(16, 12);
    QFont font = Descr->font();
    font.setPointSize(8);
    font.setBold(true);
    Descr->setFont(font);
    QPalette pal = Descr->palette();
    pal.setColor(QPalette::WindowText, QColor(0x2D384A));
    Descr->setPalette(pal);
    Descr->resize(300, 14);

    Bar = new TCylinderProgressBar(this);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setGeometry(14, 28, 300, 24);
    Bar->setOrientation(boHorizontal);
    Bar->setBarKind(bkCylinder);
    Bar->setBarLook(blGlass);
    Bar->setRoundCorner(true);
    Bar->setShaped(false);
    Bar->setShapeColor(QColor(0xC0C0C0));
    Bar->setBackgroundColor(QColor(0x000040));
    Bar->setStartColor(QColor(0x455774));
    Bar->setFinalColor(QColor(0x00CCCC));
    Bar->setBlockSize(4);
    Bar->setSpaceSize(1);
    Bar->setCaption(QString());
    Bar->setCaptionAlign(Qt::AlignHCenter);
    Bar->setShowPosAsPct(true);
}

TContor::~TContor() = default;

void TContor::repaintNow()
{
    QCoreApplication::processEvents();
}

void TContor::Start()
{
    Bar->setPosition(0);
    repaintNow();
    if (isVisible())
        return;
    m_remembered = QApplication::activeWindow();
    if (m_remembered == this)
        m_remembered = nullptr;
    QRect area;
    if (m_remembered) {
        // Disabling the window takes the focus from its control; Finish gives it back.
        m_rememberedFocus = m_remembered->focusWidget();
        m_remembered->setEnabled(false);
        m_remembered->setCursor(Qt::WaitCursor);
        area = m_remembered->frameGeometry();
    }
    centreWindow(this, area);
    Descr->adjustSize();
    show();
    repaintNow();
}

void TContor::Step()
{
    if (Bar->position() >= Bar->maximum())
        return;
    // A file of 200 MB takes 20,000 steps over a bar of 300 pixels: most steps leave the fill
    // where it was, and the bar then asks for no repaint, so there is nothing to wait for.
    const int filledBefore = Bar->filledEnd();
    Bar->setPosition(Bar->position() + 1);
    if (Bar->filledEnd() != filledBefore)
        repaintNow();
}

void TContor::Finish()
{
    if (!isVisible())
        return;
    hide();
    repaintNow();
    if (m_remembered) {
        m_remembered->setEnabled(true);
        m_remembered->unsetCursor();
        if (m_remembered->isVisible()) {
            m_remembered->activateWindow();
            if (m_rememberedFocus && m_rememberedFocus->window() == m_remembered &&
                m_rememberedFocus->isEnabled() && m_rememberedFocus->isVisible())
                m_rememberedFocus->setFocus();
            else
                m_remembered->setFocus();
        }
    }
    repaintNow();
    m_remembered = nullptr;
    m_rememberedFocus = nullptr;
}

} // namespace dosarium
