#include "platform/StatusMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

StatusMenu::StatusMenu(QObject *parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>())
{
    m_open = m_menu->addAction(tr("Åbn"));
    m_menu->addSeparator();
    m_quit = m_menu->addAction(tr("Afslut"));
    connect(m_open, &QAction::triggered, this, &StatusMenu::openRequested);
    connect(m_quit, &QAction::triggered, this, &StatusMenu::quit);
}

StatusMenu::~StatusMenu() = default;

void StatusMenu::quit()
{
    QCoreApplication::exit(0);
}
