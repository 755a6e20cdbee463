// The "Fault Codes / Status" tab: the fault pass, descriptions, corrective action, Reset Faults.
#include "diagnostics/frmTargetBoard.h"

#include "diagnostics/TargetBoardWidgets.h"
#include "app/data/TargetBoardFaults.h"
#include "link/BoardChangeLog.h"
#include "link/CodeDescriptionFile.h"
#include "link/RSComm.h"
#include "link/UserPrompt.h"
#include "views/BoardWrite.h"
#include "views/NamedControls.h"
#include "views/ShellContext.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelby {
namespace {

namespace fs = std::filesystem;

} // namespace

QWidget* frmTargetBoard::buildFaultsTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);

    const auto addEntry = [this](QGridLayout* grid, int entry, int row) {
        const auto index = static_cast<std::size_t>(entry);
        QWidget* parent = grid->parentWidget();
        m_lblTargetBoard[index] = Label(QString("lblTargetBoard_%1").arg(entry),
                                        Q(FaultEntryInitialCaption(entry)), parent);
        m_lblTargetBoard[index]->setMinimumWidth(
            m_lblTargetBoard[index]->fontMetrics().horizontalAdvance(
                "Current Comm Error: Code = WWH"));
        grid->addWidget(m_lblTargetBoard[index], row, 0, Qt::AlignTop);
        if (entry == kCoCpuSlotEntry) return;
        QWidget* display = nullptr;
        if (entry == kCorrectiveActionEntry) {
            auto* text = new QPlainTextEdit(parent);
            text->setFixedHeight(text->fontMetrics().lineSpacing() * 5 + 10);
            text->setReadOnly(true);
            display = text;
        } else {
            auto* text = new QLineEdit(parent);
            text->setReadOnly(true);
            display = text;
        }
        display->setObjectName(QString("txtTargetBoard_%1").arg(entry));
        display->setFocusPolicy(Qt::NoFocus);
        display->setMinimumWidth(420);
        grid->addWidget(display, row, 1);
        m_txtTargetBoard[index] = display;
    };

    auto* internal = Frame("fraInternalFault", "Internal Fault Code:", tab);
    auto* internalGrid = new QGridLayout(internal);
    for (int entry = 0; entry <= kCorrectiveActionEntry; ++entry)
        addEntry(internalGrid, entry, entry);
    layout->addWidget(internal);

    auto* comm = Frame("fraCommErrors", "Communications Network Error Codes:", tab);
    auto* commGrid = new QGridLayout(comm);
    addEntry(commGrid, kCurrentCommErrorEntry, 0);
    addEntry(commGrid, kLastCommErrorEntry, 1);
    layout->addWidget(comm);

    m_cmdResetFaults = Button("cmdResetFaults", "&Reset Faults", tab);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_cmdResetFaults);
    layout->addLayout(row);
    return tab;
}

QCoro::Task<bool> frmTargetBoard::onlinePass() {
    QPointer<frmTargetBoard> self(this);
    RSComm& link = shell().link();
    const int requests = m_passRequests;
    m_cmdResetFaults->setEnabled(false);
    enableFieldsOnline();

    for (int entry = 0; entry < static_cast<int>(kFaultReadTable.size()); ++entry) {
        if (!co_await yieldToEvents()) co_return false;
        const auto index = static_cast<std::size_t>(entry);
        std::string text;
        if (!link.CommError) {
            const RSComm::ReadResult read = link.RSReadChecked(kFaultReadTable[index]);
            if (!self) co_return false;
            // A code the link could not confirm is no code: the captions keep their text and
            // the pass runs again in the next cycle.
            if (!read.trusted && !link.CommError) co_return true;
            text = read.text;
        }
        const std::string code = FaultCodeText(text, link.CommError);
        m_codes[index] = code;
        if (entry != kCoCpuSlotEntry && !link.CommError && FaultCodeValue(code) != 0)
            m_cmdResetFaults->setEnabled(true);
        if (entry == kCorrectiveActionEntry) continue;
        if (entry == kCoCpuSlotEntry && !Shown(m_lblTargetBoard[index])) continue;
        m_lblTargetBoard[index]->setText(Q(FaultEntryCaption(entry, code)));
    }

    if (!showDescriptions(FaultCodesFile(m_home), {kCurrentFaultEntry, kLastFaultEntry}))
        co_return true; // the pass runs again in the next cycle
    if (Shown(m_lblTargetBoard[kCoCpuSlotEntry]) && !link.CommError) {
        if (!co_await yieldToEvents()) co_return false;
        if (!link.CommError) {
            const RSComm::ReadResult slot = link.RSReadChecked(kCoCpuSlotAddress);
            if (!self) co_return false;
            if (slot.trusted) m_lblTargetBoard[kCoCpuSlotEntry]->setText("CO-CPU Slot: " + Q(slot.text));
        }
    }
    setDisplay(kCorrectiveActionEntry,
               Q(CorrectiveActionText(FaultCodeValue(m_codes[kCorrectiveActionEntry]))));
    if (!showDescriptions(CommCodesFile(m_home), {kCurrentCommErrorEntry, kLastCommErrorEntry}))
        co_return true;

    bool identComplete = false;
    if (!co_await readBoardIdent(identComplete)) co_return false;
    if (!link.CommError) m_cmdGoOnline->hide();
    m_onlinePassDone = identComplete && requests == m_passRequests;
    co_return true;
}

bool frmTargetBoard::showDescriptions(const fs::path& file, std::array<int, 2> entries) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return true;
    for (int entry : entries) {
        const auto index = static_cast<std::size_t>(entry);
        const CodeLookup lookup = LookupCode(file, m_codes[index], CodeMatch::Last);
        if (lookup.outcome == CodeLookup::Outcome::ReadError) {
            m_prompt.ask(TargetBoardMessages::RunTimeError(TargetBoardMessages::kFirstPassTitle,
                                                           lookup.error));
            return false;
        }
        if (lookup.outcome == CodeLookup::Outcome::Found) setDisplay(entry, Q(lookup.description));
    }
    return true;
}

void frmTargetBoard::cmdResetFaults_Click() {
    if (m_prompt.ask(TargetBoardMessages::ConfirmResetFaults()) != MessageAnswer::Yes) return;
    m_cmdResetFaults->setEnabled(false);
    RSComm& link = shell().link();
    if (!link.OnlineMode) return;
    QPointer<frmTargetBoard> self(this);
    BoardChangeScope changes(link, {}, "Reset Faults");
    for (const char* address : kResetFaultWrites) {
        if (link.CommError) break;
        const bool confirmed = WriteToBoard(shell(), m_prompt, address, "0");
        if (!self) return;
        if (!confirmed) break; // already reported; the pass shows what the board holds
    }
    if (link.CommError) return;
    // The cycle runs the pass again; it enables the button when a code is still set.
    ++m_passRequests;
    m_onlinePassDone = false;
}

void frmTargetBoard::setDisplay(int entry, const QString& text) {
    QWidget* display = m_txtTargetBoard[static_cast<std::size_t>(entry)];
    if (auto* line = qobject_cast<QLineEdit*>(display)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(display)) {
        box->setPlainText(text);
    }
}

} // namespace quelby
