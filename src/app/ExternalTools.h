#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace quollin {

// Everything the program hands to other programs on this machine, in one
// place so that a port changes only this file. Nothing here goes on the
// network itself: web pages open in the user's default browser.
namespace ExternalTools {

// The maker's pages: the web site (also shown in the main window's status bar)
// and the page that offers newer versions.
QUrl webSite();
QUrl upgradePage();
// False when the desktop has no browser to open them with.
bool openWebSite();
bool openUpgradePage();

// Programs tried for "计算器" and "记事本", in order of preference.
QStringList calculators();
QStringList textEditors();

// The full path of the first candidate that is an executable file in one of
// the folders (the PATH when the list is empty), or empty. The candidate
// order decides, not the folder order.
QString findProgram(const QStringList &candidates, const QStringList &searchPaths = {});
// Starts the first candidate found, detached from this program, in a new
// window of its own. False when none is installed or it could not start.
bool startFirst(const QStringList &candidates, const QStringList &searchPaths = {});

bool startCalculator();
bool startTextEditor();

} // namespace ExternalTools

} // namespace quollin
