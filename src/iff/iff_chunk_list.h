// The chunk list of one container and the indexes beside it. The list keeps insertion
// order (the writer's order); the indexes answer type+ID lookups, the per-type walk in
// list order and the ascending-ID walk without walking the whole list.
//
// A chunk is indexed under the type and ID it had when it was added: change them only by
// removing the chunk and adding it again.
#pragma once

#include <map>
#include <memory>
#include <unordered_map>

#include "iff/iff_chunk.h"
#include "iff/iff_manager.h"
#include "platform/types.h"

struct CIffFileRecord::ChunkList {
    struct TypeIndex;

    struct Node {
        std::unique_ptr<CIffChunk> chunk;
        Node* prev = nullptr;
        Node* next = nullptr;
        Node* prevOfType = nullptr;
        Node* nextOfType = nullptr;
        TypeIndex* typeIndex = nullptr;
        WORD id = 0;
    };

    struct TypeIndex {
        DWORD type = 0;
        Node* head = nullptr;  // first of this type in list order
        Node* tail = nullptr;
        int count = 0;
        std::map<WORD, Node*> byId;
    };

    ChunkList() = default;
    ~ChunkList() { Clear(); }
    ChunkList(const ChunkList&) = delete;
    ChunkList& operator=(const ChunkList&) = delete;

    static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* FromPos(POSITION p) { return reinterpret_cast<Node*>(p); }

    Node* Find(DWORD type, WORD id) const {
        const TypeIndex* t = Type(type);
        if (!t) return nullptr;
        const auto it = t->byId.find(id);
        return it == t->byId.end() ? nullptr : it->second;
    }

    const TypeIndex* Type(DWORD type) const {
        const auto it = types.find(type);
        return it == types.end() ? nullptr : &it->second;
    }

    // Appends at the end; the caller has removed any chunk with the same type and ID.
    // Throws std::bad_alloc and then leaves the list as it was (the chunk is destroyed).
    Node* Append(std::unique_ptr<CIffChunk> chunk) {
        auto node = std::make_unique<Node>();
        const DWORD type = chunk->m_dwType;
        node->id = chunk->m_wID;
        auto inserted = types.try_emplace(type);
        TypeIndex& t = inserted.first->second;
        t.type = type;
        try {
            t.byId.emplace(node->id, node.get());
        } catch (...) {
            if (inserted.second) types.erase(inserted.first);
            throw;
        }
        node->chunk = std::move(chunk);
        node->typeIndex = &t;
        Node* n = node.release();
        n->prev = tail;
        (tail ? tail->next : head) = n;
        tail = n;
        n->prevOfType = t.tail;
        (t.tail ? t.tail->nextOfType : t.head) = n;
        t.tail = n;
        ++t.count;
        ++count;
        return n;
    }

    // Unlinks and destroys the node and its chunk.
    void Remove(Node* n) {
        (n->prev ? n->prev->next : head) = n->next;
        (n->next ? n->next->prev : tail) = n->prev;
        TypeIndex& t = *n->typeIndex;
        (n->prevOfType ? n->prevOfType->nextOfType : t.head) = n->nextOfType;
        (n->nextOfType ? n->nextOfType->prevOfType : t.tail) = n->prevOfType;
        t.byId.erase(n->id);
        --count;
        if (--t.count == 0) types.erase(t.type);
        delete n;
    }

    void Clear() {
        for (Node* n = head; n;) {
            Node* next = n->next;
            delete n;
            n = next;
        }
        head = tail = nullptr;
        count = 0;
        types.clear();
    }

    Node* head = nullptr;
    Node* tail = nullptr;
    int count = 0;
    std::unordered_map<DWORD, TypeIndex> types;
};
