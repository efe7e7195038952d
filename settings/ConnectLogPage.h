// CConnectLogPage: the options sheet's page "接続ログ": whether the connection log is
// saved to a file, the file, and whether the next start overwrites or extends it.
//
// Controls and keys: SaveLog; LogFile (up to kPathMaxLength characters) with browse; NewSave (two
// radio buttons in the group "次回起動時の設定"). The file field, browse and that group are enabled
// while SaveLog is ticked. Every change marks the page modified.
//
// OnApply writes SaveLog, NewSave, then LogFile: the field's text, or the default path
// when the field is empty. It always succeeds; the path is checked when the log file is
// opened. Each failed write shows its message and the next write runs.
//
// Browse: a save-file chooser preset to the field's text (the default path when empty)
// that takes an existing file without asking; the chosen path goes into the field.
#pragma once

#include "settings/OptionPage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tolvane {

class CConnectLogPage final : public COptionPage {
    Q_OBJECT
public:
    explicit CConnectLogPage(QWidget* parent = nullptr);

    bool OnApply() override;

private:
    QGroupBox* BuildSaveGroup();
    QGroupBox* BuildNextStartGroup();
    void Fill();
    void ApplySaveRule();
    void OnBrowse();

    QCheckBox* m_pSaveLog = nullptr;
    QLabel* m_pFileLabel = nullptr;
    QLineEdit* m_pLogFile = nullptr;
    QPushButton* m_pBrowse = nullptr;
    QGroupBox* m_pNextStart = nullptr;
    QRadioButton* m_pOverwrite = nullptr;
    QRadioButton* m_pAppend = nullptr;
};

} // namespace tolvane
