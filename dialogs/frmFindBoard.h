#pragma once

#include "link/BoardSearch.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QListWidget;
class QPushButton;

namespace quelby {

// "Find Board": the boards the search found, and every other device with its reason; the
// user picks a board to use. Only boards can be picked.
class frmFindBoard : public QDialog {
    Q_OBJECT

public:
    // The search over this machine's devices, telling `progress` before each try.
    using Search = std::function<std::vector<SearchResult>(const BoardSearch::Progress& progress)>;

    frmFindBoard(std::vector<SearchResult> results, QWidget* parent = nullptr);
    // The board picked with Use (or a double click); nullopt after Cancel.
    const std::optional<SearchResult>& chosen() const { return m_chosen; }

    // Runs `search` under a progress window whose Cancel stops it after the device in hand,
    // then shows what it found. The board the user picked, or nullopt.
    static std::optional<SearchResult> FindBoard(const Search& search, QWidget* parent);

private:
    void use();
    void selectionChanged();

    std::vector<SearchResult> m_results;
    std::optional<SearchResult> m_chosen;
    QListWidget* m_lstBoards = nullptr;
    QPushButton* m_cmdUse = nullptr;
};

} // namespace quelby
