#include "ecgtrace/equations.h"

#include <QSize>

namespace ecgtrace {
namespace {

QSize PictureSize(Formulas which) {
    switch (which) {
        case Formulas::SumSignal:
            return {349, 265};
        case Formulas::Period:
            return {442, 265};
        case Formulas::GroupSignal:
            return {442, 265};
        case Formulas::Map:
            return {257, 265};
    }
    return {};
}

// Shared look: serif italics for the symbols, a large formula and smaller
// lines explaining the quantities.
const char* const kStyle =
    "<style>"
    "p { margin: 0px; }"
    "p.f { font-size: 15px; margin-top: 14px; }"
    "p.n { font-size: 12px; margin-top: 12px; }"
    "i { font-family: 'Liberation Serif'; }"
    "</style>";

}  // namespace

QString EquationText(Formulas which) {
    QString body;
    switch (which) {
        case Formulas::SumSignal:
            body =
                "<p class='n'><b>Sum of the group signals</b></p>"
                "<p class='f'><i>E</i>(<i>t<sub>j</sub></i>) = "
                "&Sigma;<sub><i>g</i>=1..<i>G</i></sub> [ <i>p</i><sub>half,<i>g</i></sub> "
                "<i>A<sub>g</sub></i>(<i>i</i><sub>1</sub>) + <i>p</i><sub>whole,<i>g</i></sub> "
                "<i>A<sub>g</sub></i>(<i>i</i><sub>2</sub>) ]</p>"
                "<p class='f'><i>i</i><sub>1</sub> = <i>t<sub>j</sub></i> mod "
                "<i>T<sub>g</sub></i></p>"
                "<p class='f'><i>i</i><sub>2</sub> = (<i>t<sub>j</sub></i> + <i>T<sub>g</sub></i> "
                "div 2) "
                "mod <i>T<sub>g</sub></i></p>"
                "<p class='f'><i>t<sub>j</sub></i> = 10 <i>j</i> ms,&nbsp;&nbsp; <i>j</i> = 1 "
                "&hellip; 2800</p>"
                "<p class='n'><i>G</i>: number of groups<br>"
                "<i>A<sub>g</sub></i>: signal of group <i>g</i> over its period "
                "<i>T<sub>g</sub></i><br>"
                "<i>p</i><sub>half</sub>, <i>p</i><sub>whole</sub>: weights from the map "
                "<i>P<sub>n</sub></i> &rarr; <i>P</i><sub><i>n</i>+1</sub></p>";
            break;
        case Formulas::Period:
            body =
                "<p class='n'><b>Period of a group</b></p>"
                "<p class='f'><i>T</i> = round( <i>x</i> ) + <i>T<sub>e</sub></i> + "
                "<i>T<sub>a</sub></i> + <i>T<sub>r</sub></i></p>"
                "<p class='f'><i>x</i> = <i>f</i> / ( 1 &minus; <i>N<sub>b</sub></i> &middot; "
                "<i>F</i> / <i>N</i> )</p>"
                "<p class='n'><i>f</i>: time scale, ms<br>"
                "<i>F</i>: factor, 0.1 &hellip; 1<br>"
                "<i>N<sub>b</sub></i>, <i>N</i>: numbers of cells<br>"
                "<i>T<sub>e</sub></i>, <i>T<sub>a</sub></i>, <i>T<sub>r</sub></i>: "
                "the three phases of a beat, ms<br><br>"
                "round: nearest integer, halves to the even neighbour<br>"
                "defaults: <i>x</i> = 21, <i>T</i> = 21 + 6 + 170 + 24 = 221 ms</p>";
            break;
        case Formulas::GroupSignal:
            body =
                "<p class='n'><b>Signal of a group over one period</b></p>"
                "<p class='f'><i>A</i>(<i>t</i>) = "
                "(<i>m</i><sub>1</sub> &minus; <i>t</i>) / (<i>s</i><sub>1</sub><sup>3</sup> "
                "&radic;(2&pi;)) &middot; exp( &minus;(<i>t</i> &minus; "
                "<i>m</i><sub>1</sub>)<sup>2</sup> "
                "/ 2<i>s</i><sub>1</sub><sup>2</sup> )</p>"
                "<p class='f'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;+ "
                "(<i>t</i> &minus; <i>m</i><sub>2</sub>) / (<i>s</i><sub>2</sub><sup>3</sup> "
                "&radic;(2&pi;)) &middot; exp( &minus;(<i>t</i> &minus; "
                "<i>m</i><sub>2</sub>)<sup>2</sup> "
                "/ 2<i>s</i><sub>2</sub><sup>2</sup> )</p>"
                "<p class='f'><i>m</i><sub>1</sub> = <i>T<sub>e</sub></i> + 3 <i>s</i><sub>1</sub>,"
                "&nbsp;&nbsp;&nbsp; <i>m</i><sub>2</sub> = <i>T<sub>e</sub></i> + "
                "<i>T<sub>a</sub></i> "
                "&minus; 2 <i>s</i><sub>2</sub></p>"
                "<p class='f'><i>t</i> = <i>k</i> &minus; offset,&nbsp;&nbsp; <i>k</i> = 0 "
                "&hellip; "
                "<i>T</i> &minus; 1 (ms)</p>"
                "<p class='n'>The first pulse is the slope of a bell curve centred at "
                "<i>m</i><sub>1</sub> with width <i>s</i><sub>1</sub>;<br>"
                "the second, of opposite sign, is centred at <i>m</i><sub>2</sub> with width "
                "<i>s</i><sub>2</sub>.</p>";
            break;
        case Formulas::Map:
            body =
                "<p class='n'><b>Map of the beat strength</b></p>"
                "<p class='f'><i>P</i><sub><i>n</i>+1</sub> = (1 &minus; <i>P<sub>n</sub></i>) "
                "(1 &minus; <i>S</i>)</p>"
                "<p class='f'><i>S</i> = &Sigma;<sub><i>k</i>=0..<i>K</i></sub> "
                "C(<i>M</i>,<i>k</i>) <i>P<sub>n</sub></i><sup><i>k</i></sup> "
                "(1 &minus; <i>P<sub>n</sub></i>)<sup><i>M</i>&minus;<i>k</i></sup></p>"
                "<p class='f'><i>K</i> = round( (<i>N<sub>d</sub></i> &minus; "
                "<i>N<sub>E</sub></i>) "
                "<i>M</i> / <i>N</i> )</p>"
                "<p class='f'>C(<i>M</i>,<i>k</i>) = <i>M</i>! / (<i>k</i>! "
                "(<i>M</i>&minus;<i>k</i>)!)</p>"
                "<p class='n'>from <i>P</i><sub>0</sub>, 301 steps:<br>"
                "<i>p</i><sub>half</sub> = <i>P</i><sub>300</sub>,&nbsp; "
                "<i>p</i><sub>whole</sub> = <i>P</i><sub>301</sub></p>";
            break;
    }
    return QString::fromLatin1(kStyle) + body;
}

QLabel* CreateEquationPicture(Formulas which, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(PictureSize(which));
    label->setTextFormat(Qt::RichText);
    label->setText(EquationText(which));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setMargin(8);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(13);
    label->setFont(font);
    return label;
}

}  // namespace ecgtrace
