#pragma once
// The order Tab walks the objects of the view's page in, and how the user changes it: the page's
// field list when it has fields, else its object list; the active object's number is its
// position in the object list.

#include <QString>
#include <vector>

class CLumidorView;
class CTranspBaseClass;

class CViewTabOrder {
public:
    explicit CViewTabOrder(CLumidorView& view) : m_view(view) {}

    // The page's objects in tab order: its field list when it has fields, else its object list.
    std::vector<CTranspBaseClass*> GetOrder() const;

    // Activates the next object (the previous one backwards), wrapping at the ends; in form
    // filling only text fields and check marks are visited. False when the key is not Tab's here
    // (zoom mode); `wrapped` tells whether the walk went past the end of the list.
    bool ProcessTabKey(bool forward, bool* wrapped = nullptr);
    // Moves the active object to position `text` of the page's object list; a message and no
    // change when there is no active object or the number is not a position of the list.
    void OnSetTabOrder(const QString& text);

private:
    CLumidorView& m_view;
};
