// Replace Many: the table window, the pass on the core engine with the progress dialog, the
// result delivered as one undoable edit, and the count and time in the caption.
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/replace_many.h"
#include "core/replacement_table.h"
#include "win/app.h"
#include "win/dlg_progress.h"
#include "win/form_main.h"
#include "win/form_table.h"
#include "win/system/number_format.h"
#include "win/system/wide.h"
#include "win/ui/busy_cursor.h"
#include "win/ui/prompter.h"

namespace palimp {

void TFormMain::actionReplaceManyExecute() {
    UpdateTitle();  // drops the suffix of an earlier run
    if (memo.Empty()) return;
    TFormTable& tableWindow = App().FormTable();
    // A selection offers the pass in it alone, chosen at once when it reaches over lines.
    tableWindow.OfferSelection(memo.HasSelection(), memo.SelectionSpansLines());
    if (App().GetPrompter().ShowModal(tableWindow) != ModalResult::OK) return;
    ReplaceManyPass(tableWindow.Table(), tableWindow.InSelection());
}

std::u16string TFormMain::PassText(bool inSelection) const {
    return inSelection ? memo.SelectedText() : DocumentText();
}

void TFormMain::ReplaceManyPass(const ReplacementTable& table, bool inSelection) {
    if (table.RowCount() < 2) return;
    App().ProcessMessages();  // the table window's last repaints before the work starts

    std::function<std::uint32_t()> clock = passClock_;
    if (!clock) clock = [] { return static_cast<std::uint32_t>(GetTickCount()); };
    const std::uint32_t startTick = clock();
    CancelRequested = false;
    TdlgProgress& progress = App().dlgProgress();
    progress.ShowProgress();

    std::u16string source = PassText(inSelection);
    ReplaceManyEngine engine(table.Items());
    ProgressMonitor monitor{
        .clock = clock,
        .startTick = startTick,
        .refresh =
            [this, &progress](const ReplaceProgress& figures) {
                progress.SetCount(WideView(ProgressLabel(figures)));
                progress.SetPercent(figures.percent);
                // The only moment the dialog's Cancel, Esc or close box can be seen.
                App().ProcessMessages();
                return CancelRequested;
            },
    };
    ReplaceResult result = engine.Run(source, monitor);
    std::u16string().swap(source);  // its memory serves the editor's copy of the result
    bool cancelled = CancelRequested || result.cancelled;
    if (!cancelled && result.Delivered()) {
        // The final count and the rate over the whole pass, as the last refresh would show them.
        std::uint32_t elapsed = std::max<std::uint32_t>(1, clock() - startTick);
        int rate = static_cast<int>(RoundedQuotient(std::int64_t{result.found} * 1000, elapsed));
        progress.SetCount(WideView(ProgressLabel({.found = result.found, .rate = rate, .percent = 100})));
        progress.ShowApplying();
        DeliverReplaceResult(std::move(result.output), inSelection);
    }
    progress.HideProgress();
    if (cancelled) return;

    // Only the window caption gets the figures; the taskbar keeps the title.
    double seconds = static_cast<double>(clock() - startTick) / 1000.0;
    SetCaption(Caption() + L" (Found: " + std::to_wstring(result.found) + L"; Time: " + FormatLocaleNumber(seconds, 1) +
               L"s)");
}

void TFormMain::DeliverReplaceResult(std::u16string output, bool inSelection) {
    // One replacement of the whole text (or the selection), one undo step after the history
    // before it; the caret at the end, or the result selected. The clipboard is never touched.
    BusyCursor busy;
    if (inSelection) {
        memo.ReplaceSelection(std::move(output));
    } else {
        memo.ReplaceAll(std::move(output));
    }
    UpdateCommandStates();
}

}  // namespace palimp
