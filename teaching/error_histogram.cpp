// The error histogram: one bar per drill character, its height the character's error weight.
// While teaching is on the bars carry no labels, so the chart does not give the answers away.
#include "ui/main/form1.h"

#include <QBarSet>
#include <QCategoryAxis>

namespace kelvo {

void TForm1::ShowHistogram() {
    // All 40 bars are drawn, also those of characters not yet in use. Heights are replaced in
    // place: the chart is redrawn at every end of turn.
    for (int i = 1; i <= DrillAlphabetSize; ++i) Series1Bars->replace(i - 1, Drill.ErrorWeights[i]);

    // The labels change only with the mode; the order is complete once teaching has started.
    const bool labelled = !DrillMode && Drill.DrillOrder.size() == static_cast<std::size_t>(DrillAlphabetSize);
    if (labelled == HistogramLabelled) return;
    HistogramLabelled = labelled;
    for (const QString& label : Chart1BottomAxis->categoriesLabels()) Chart1BottomAxis->remove(label);
    if (!labelled) return;
    Chart1BottomAxis->setStartValue(-0.5);
    for (int i = 1; i <= DrillAlphabetSize; ++i) {
        const QString label = QString(QChar::fromLatin1(Drill.DrillOrder[static_cast<std::size_t>(i - 1)])).toUpper();
        // Bar i stands at x = i - 1; its category spans half a unit either side.
        Chart1BottomAxis->append(label, i - 0.5);
    }
}

}  // namespace kelvo
