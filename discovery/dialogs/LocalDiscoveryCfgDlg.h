#pragma once
// The local discovery dialog's settings ("Advanced..."): the protocols, the
// address range and the device kinds to look for. The kinds are a check list
// that shows one kind for the caller until the user expands it.

#include <QString>

#include <vector>

#include "discovery/dialogs/DiscoverySettings.h"
#include "discovery/dialogs/DiscoverySettingsDialog.h"

namespace qx {

class CCheckList;

class CLocalDiscoveryCfgDlg : public CDiscoverySettingsDialog {
    Q_OBJECT

  public:
    static constexpr int kExpandButtonId = 204;
    static constexpr int kKindListId = 10001;

    // Device kinds, the item data of the check list's items.
    enum Kind { KindKorvalen = 0, KindBrisel, KindOrven, KindRk2020, KindRk2030, KindQx2 };
    static constexpr int kKindCount = 6;

    explicit CLocalDiscoveryCfgDlg(const LocalDiscoverySettings& settings,
                                   QWidget* parent = nullptr);
    ~CLocalDiscoveryCfgDlg() override;

    // The values as the controls show them; on OK the owning dialog copies them.
    const LocalDiscoverySettings& Settings() const { return m_settings; }

    // The kinds that the expanded list offers to this caller, in list order,
    // and the one kind that the collapsed list shows.
    static std::vector<Kind> KindsForCaller(int nCaller);
    static Kind CollapsedKind(int nCaller);

    CCheckList* KindList() const { return m_pKinds; }
    QPushButton* ExpandButton() const { return m_pExpand; }
    bool IsExpanded() const { return m_bExpanded; }
    // Expands or collapses the kind list, as button 204 does.
    void SetExpanded(bool bExpanded);

  protected:
    DiscoverySettings& Common() override { return m_settings; }
    void OnInitSettings(const LanguageLibrary* pLibrary) override;
    bool ValidateKinds() override;
    bool IpxAllowed() const override { return !CallerWithoutIpx(m_settings.nCaller); }
    void ShowHelp() override;

  private:
    void FillKindList();
    // Takes the ticks of the items shown into the settings.
    void ReadKindList();
    bool& KindValue(Kind kind);

    LocalDiscoverySettings m_settings;
    QString m_strKindText[kKindCount];
    CCheckList* m_pKinds = nullptr;
    QPushButton* m_pExpand = nullptr;
    bool m_bExpanded = false;
};

}  // namespace qx
