#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The root of the framework's classes. ClassName() is the class's own name ("TLabel").
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  virtual std::string ClassName() const { return "TObject"; }
};

// A named component. Its owner destroys it; components owned by one owner have unique names.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  // The owned component of that name, or nullptr.
  TComponent* FindComponent(std::string_view name) const;

 private:
  void InsertComponent(TComponent* c) { components_.push_back(c); }
  void RemoveComponent(TComponent* c);

  std::string name_;
  TComponent* owner_;
  std::vector<TComponent*> components_;
};
