#include "statusbar.h"

#include "platform/keyindicators.h"

#include <QLabel>

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent)
    , m_keys(platform::KeyIndicators::create())
{
    setSizeGripEnabled(false);
    const std::array<int, 4> stretch{8, 2, 1, 1};
    const std::array<const char *, 4> initial{"", "", "CAPS", "NUM"};
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(QString::fromLatin1(initial[i]), this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(1);
        if (i >= 2)
            panel->setAlignment(Qt::AlignCenter);
        m_panels[i] = panel;
        addPermanentWidget(panel, stretch[i]);
    }
    connect(m_keys.get(), &platform::KeyIndicators::changed, this, &StatusBar::showKeyStates);
    showKeyStates();
}

StatusBar::~StatusBar() = default;

QString StatusBar::panelText(int panel) const
{
    return m_panels.at(panel - 1)->text();
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    m_panels.at(panel - 1)->setText(text);
}

bool StatusBar::panelActive(int panel) const
{
    return m_panels.at(panel - 1)->isEnabled();
}

void StatusBar::showKeyStates()
{
    // An indicator that is off is drawn greyed out, as a disabled panel.
    m_panels[2]->setEnabled(m_keys->capsLock());
    m_panels[3]->setEnabled(m_keys->numLock());
}
