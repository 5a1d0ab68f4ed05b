#include "mainwindow/MainWindowLink.h"

namespace {

MainWindowLink* g_link = nullptr;

} // namespace

MainWindowLink* MainWindowLink::instance()
{
    return g_link;
}

MainWindowLink::MainWindowLink()
{
    g_link = this;
}

MainWindowLink::~MainWindowLink()
{
    if (g_link == this)
        g_link = nullptr;
}
