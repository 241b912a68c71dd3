// Components: names, tags, owners and their ownership order; events; class tests.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <stdexcept>
#include <vector>

// A checked conversion of an object to a class it is not.
class EInvalidCast : public std::runtime_error {
public:
    EInvalidCast() : std::runtime_error("Invalid class typecast") {}
};

// Every component is a QObject; event senders are passed as such.
using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// An event that remembers which method it calls, so that code assigning its own
// handlers can later tell them apart from handlers someone else assigned (the
// platform's method pointers compare code and object). A plain callable carries no
// identity; Bind gives one. A bound handler of a QObject does nothing once that object
// is gone, so an event left pointing at a destroyed handler is harmless.
template <typename Signature>
class TEvent;

template <typename R, typename... Args>
class TEvent<R(Args...)> {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <typename F>
        requires(!std::is_same_v<std::decay_t<F>, TEvent> && std::is_invocable_r_v<R, F&, Args...>)
    TEvent(F f) : FCall(std::move(f)) {}

    // `object`->*`method` as the handler, with the identity (object, method).
    template <typename C, typename M>
    static TEvent Bind(C* object, M method)
    {
        static_assert(sizeof(M) <= sizeof(TCode), "method pointer too large");
        TEvent event;
        if constexpr (std::is_base_of_v<QObject, C>) {
            QPointer<QObject> guard(object);
            event.FCall = [guard, object, method](Args... args) -> R {
                if (!guard)
                    return R();
                return (object->*method)(std::forward<Args>(args)...);
            };
        } else {
            event.FCall = [object, method](Args... args) -> R { return (object->*method)(std::forward<Args>(args)...); };
        }
        event.FObject = object;
        std::memcpy(event.FCode.data(), &method, sizeof(M));
        return event;
    }

    // True when this event runs `object`->*`method` as assigned through Bind.
    template <typename C, typename M>
    bool Is(const C* object, M method) const
    {
        if (!FCall || FObject != static_cast<const void*>(object))
            return false;
        TCode code{};
        std::memcpy(code.data(), &method, sizeof(M));
        return code == FCode;
    }
    // The object of a bound handler, or null.
    const void* Object() const { return FCall ? FObject : nullptr; }

    explicit operator bool() const { return static_cast<bool>(FCall); }
    R operator()(Args... args) const { return FCall(std::forward<Args>(args)...); }

private:
    using TCode = std::array<unsigned char, 2 * sizeof(void*)>;
    std::function<R(Args...)> FCall;
    const void* FObject = nullptr;
    TCode FCode{};
};

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

enum TOperation { opInsert, opRemove };
// ComponentState flags.
inline constexpr unsigned csLoading = 0x1;
inline constexpr unsigned csDestroying = 0x8;
inline constexpr unsigned csDesigning = 0x10;

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
    // csDesigning is never set in the running program; csDestroying is set while the
    // owner side of the component is being torn down.
    unsigned ComponentState = 0;

    // Insertion and removal notices: the owner hears of components inserted into and
    // removed from it; the owned components hear that their owner is going away
    // (opRemove with the owner) before it is gone.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

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
