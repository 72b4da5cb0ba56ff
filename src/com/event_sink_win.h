#pragma once
// The IDispatch of an event sink: it answers IUnknown, IDispatch and its one event
// interface (known at run time), carries no type information, and leaves Invoke to the sink.

#include <windows.h>

#include <oaidl.h>

#include "com/com_object_win.h"
#include "com/dispatch_base_win.h"

namespace kvt::com {

class EventSinkBase : public ComObjectBase<DispatchWithoutTypeInfo<>> {
  protected:
    explicit EventSinkBase(REFIID events) : events_(events) {}

    void* AnswerDynamic(REFIID iid) override {
        return iid == events_ ? static_cast<IDispatch*>(this) : nullptr;
    }

  private:
    const IID events_;
};

}  // namespace kvt::com
