#pragma once
// Putting objects on the shelf from a page: the selected objects (one object's own data block, or
// a group block of several) in select mode, elsewhere the active object, handed to the frame's
// shelf through the sink it installs on the view. The shelf itself keeps only pictures of cursor
// size.

#include <QByteArray>
#include <functional>

class CCommandMap;
class CLumidorView;
class CTranspBlock;

class CViewCollection {
public:
    explicit CViewCollection(CLumidorView& view) : m_view(view) {}
    void Register(CCommandMap& map);

    void SetCollectionSink(std::function<void(const QByteArray&)> sink) { m_sink = std::move(sink); }
    // Never in form filling or cut mode; in select mode with a selection, elsewhere with an
    // active object.
    bool CanAddToCollection() const;
    // The block the command hands over; empty when there is nothing to hand.
    QByteArray MakeCollectionBlock() const;
    void OnEditAddToCollection();

private:
    CLumidorView& m_view;
    std::function<void(const QByteArray&)> m_sink;
};
