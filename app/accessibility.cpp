#include "accessibility.h"

#include "form1.h"
#include "plot_surface.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <iterator>

namespace app {

namespace {

// The window, whose accessible children, the same as Qt lists, come in the order of its tab
// chain rather than in the order the controls were made.
class Form1Accessible : public QAccessibleWidget {
public:
    explicit Form1Accessible(Form1* form) : QAccessibleWidget(form, QAccessible::Window) {}

    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = ordered();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children.at(index))
                   : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == nullptr ? -1
                                : int(ordered().indexOf(qobject_cast<QWidget*>(child->object())));
    }

private:
    QList<QWidget*> ordered() const {
        QList<QWidget*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            if (const QAccessibleInterface* listed = QAccessibleWidget::child(i)) {
                children.append(qobject_cast<QWidget*>(listed->object()));
            }
        }
        // Not a Form1 any more while QWidget's destructor deletes the controls.
        const auto* form = qobject_cast<const Form1*>(object());
        if (form == nullptr) {
            return children;
        }
        const auto chain = form->tabChain();
        // Anything not in the chain keeps its place after what is.
        const auto rank = [&chain](const QWidget* widget) {
            return std::distance(chain.begin(), std::find(chain.begin(), chain.end(), widget));
        };
        std::stable_sort(children.begin(), children.end(),
                         [&rank](const QWidget* a, const QWidget* b) { return rank(a) < rank(b); });
        return children;
    }
};

// The plot, one picture to assistive technology: the widget inside its frame that shows the
// picture is not a control of its own.
class PlotAccessible : public QAccessibleWidget {
public:
    explicit PlotAccessible(QWidget* plot) : QAccessibleWidget(plot, QAccessible::Graphic) {}

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (className == QLatin1String(plot::PlotSurface::staticMetaObject.className())) {
        return new PlotAccessible(widget);
    }
    if (className == QLatin1String(Form1::staticMetaObject.className())) {
        return new Form1Accessible(static_cast<Form1*>(widget));
    }
    return nullptr;
}

}  // namespace

void installAccessibleInterfaces() {
    QAccessible::installFactory(interfaceFor);
}

}  // namespace app
