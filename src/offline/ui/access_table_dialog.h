#pragma once
// "Offline Access Table": members and non-members of the offline access table, add and
// remove, and the upload to every PX series reader.

#include <QDialog>

#include "offline/access_table.h"

class QComboBox;
class QGroupBox;
class QTableWidget;

namespace horalog {

class TFmOfflineAccess : public QDialog {
    Q_OBJECT
public:
    TFmOfflineAccess(Connection& src, ReaderLinks& links, Messages& messages, Progress& progress,
                     QWidget* parent = nullptr);

    QTableWidget* memberGrid() const { return dbgmember_; }
    QTableWidget* nonMemberGrid() const { return dbgnonmember_; }
    QGroupBox* memberGroup() const { return gbMember_; }
    QGroupBox* nonMemberGroup() const { return gbNonmember_; }

    void addSelected();      // "Add to member list."
    void removeSelected();   // "Remove from member list."
    bool upload();           // "Upload"
    void closeWithButton();  // "Close": layouts saved
    void sortMembers(const QString& column);
    void sortNonMembers(const QString& column);

protected:
    void reject() override;

private:
    void refresh();
    static void fill(QTableWidget* grid, const std::vector<AccessRow>& rows);
    static int selectedCard(QTableWidget* grid);

    OfflineAccessTable table_;
    ReaderLinks& links_;
    Messages& messages_;
    Progress& progress_;
    QString memberSort_ = "NAME";
    QString nonMemberSort_ = "NAME";
    std::vector<AccessRow> members_;
    QGroupBox* gbMember_ = nullptr;
    QGroupBox* gbNonmember_ = nullptr;
    QTableWidget* dbgmember_ = nullptr;
    QTableWidget* dbgnonmember_ = nullptr;
    bool uploading_ = false;
};

}  // namespace horalog
