#pragma once
// The naming part of a component: its name and the owner it may be a sub-component of.
// Messages raised "with the dataset's name prefixed" are built from it.

#include <string>

class TComponent {
  public:
    explicit TComponent(std::u16string name = {}, TComponent* owner = nullptr,
                        bool subComponent = false)
        : FName(std::move(name)), FOwner(owner), FSubComponent(subComponent) {}
    virtual ~TComponent() = default;

    const std::u16string& Name() const { return FName; }
    void SetName(std::u16string name) { FName = std::move(name); }
    TComponent* Owner() const { return FOwner; }
    bool IsSubComponent() const { return FSubComponent; }

  private:
    std::u16string FName;
    TComponent* FOwner;
    bool FSubComponent;
};
