// Components: names, tags, owners and their ownership order; events; class tests.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

// Every component is a QObject; event senders are passed as such.
using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Runs an event when it is assigned.
template <typename Event, typename... Args>
inline void Fire(const Event& event, Args&&... args)
{
    if (event)
        event(std::forward<Args>(args)...);
}

// Shows an exception that an event handler let escape, in the application's standard
// exception message box; the program goes on.
void HandleEventException(std::exception_ptr error);

// Runs `f` where Qt called in (a signal, an event, a paint): an exception is shown by
// the application object instead of unwinding through Qt.
template <typename F>
inline void SafeCall(F&& f)
{
    try {
        f();
    } catch (...) {
        HandleEventException(std::current_exception());
    }
}

// Fire for events raised from Qt.
template <typename Event, typename... Args>
inline void SafeFire(const Event& event, Args&&... args)
{
    if (event)
        SafeCall([&] { event(std::forward<Args>(args)...); });
}

// Class tests through the meta-object system: "is a" includes descendants, the class
// name is the object's own class only.
bool InheritsFrom(const QObject* object, const char* className);
QString ClassName(const QObject* object);

// The ownership side of a component. Owner and object parent are separate, as in a
// form where a button sits in a panel (parent) but belongs to the form (owner).
// Destruction follows the Qt parent chain; an owner only records what it owns, in
// the order the components were created or inserted.
class TComponent {
public:
    TComponent(QObject* self, TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    QObject* AsObject() const { return FSelf; }
    QString Name() const { return FSelf->objectName(); }
    void SetName(const QString& name) { FSelf->setObjectName(name); }

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }
    int ComponentIndex() const;
    TComponent* FindComponent(const QString& name) const;

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    std::intptr_t Tag = 0;

    // The component that owns `object`: the object itself when it is a component,
    // else the nearest component among its parents.
    static TComponent* Of(const QObject* object);

private:
    QObject* FSelf;
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
};

// The form (a TComponent) nearest above `widget` or `object` in the parent chain, used
// as the default owner of controls created inside it.
TComponent* DefaultOwnerFor(QObject* parent);
