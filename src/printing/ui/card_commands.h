#pragma once
// "Card Manager" > "Print Cards" and "Print Member List": each shows its dialog again after
// every run until Cancel; a run previews when asked to, else prints.

class QWidget;

namespace horalog {

class Tdsrc;
class FileDialogs;
class Messages;
class Progress;

void RunPrintCardsCommand(Tdsrc& store, Messages& messages, FileDialogs& files, Progress& progress,
                          QWidget* parent);
void RunPrintMembersCommand(Tdsrc& store, Messages& messages, FileDialogs& files, QWidget* parent);

}  // namespace horalog
