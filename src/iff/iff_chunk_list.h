// The chunk list of one container and the indexes beside it. The list keeps insertion
// order (the writer's order); the indexes answer type+ID lookups, the per-type walk in
// list order and the ascending-ID walk without walking the whole list.
//
// A chunk is indexed under the type and ID it had when it was added: change them only by
// removing the chunk and adding it again.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/types.h"
#include "iff/iff_chunk.h"

struct IffChunkList {
    struct TypeIndex;

    struct Node {
        explicit Node(CIffChunkBuffer granule) : chunk(std::move(granule)) {}
        CIffChunk chunk;
        Node* prev = nullptr;
        Node* next = nullptr;
        Node* prevOfType = nullptr;
        Node* nextOfType = nullptr;
        TypeIndex* typeIndex = nullptr;
        std::uint64_t seq = 0;  // grows along the list: every link is at the end
        WORD id = 0;
    };

    // Nodes of one type by their 16-bit ID. A type with few chunks keeps them in a sorted
    // vector; past kSparseMax it moves to a bitmap for the next-higher-ID search and pages
    // of 256 pointers made as IDs arrive. The dense form costs about 10 KB before its
    // first page, so giving it to every type would let a file of tiny chunks of distinct
    // types take a hundred times its size in memory.
    class IdIndex {
    public:
        Node* Get(WORD id) const {
            if (!m_dense) {
                const auto it = SparseAt(id);
                return it != m_sparse.end() && it->first == id ? it->second : nullptr;
            }
            // The bitmap is small enough to stay in the cache; the pages are not.
            if (!(m_dense->bits[id >> 6] & Bit(id))) return nullptr;
            return (*m_dense->pages[id >> 8])[id & 0xFF];
        }
        // May throw std::bad_alloc; the entries are as they were then.
        void Set(WORD id, Node* n) {
            if (!m_dense) {
                const auto it = SparseAt(id);
                if (it != m_sparse.end() && it->first == id) {
                    it->second = n;
                    return;
                }
                if (m_sparse.size() < kSparseMax) {
                    m_sparse.insert(it, {id, n});
                    return;
                }
                MakeDense();
            }
            auto& page = m_dense->pages[id >> 8];
            if (!page) page = std::make_unique<Page>();
            (*page)[id & 0xFF] = n;
            m_dense->bits[id >> 6] |= Bit(id);
        }
        void Erase(WORD id) {
            if (!m_dense) {
                const auto it = SparseAt(id);
                if (it != m_sparse.end() && it->first == id) m_sparse.erase(it);
                return;
            }
            if (auto& page = m_dense->pages[id >> 8]) (*page)[id & 0xFF] = nullptr;
            m_dense->bits[id >> 6] &= ~Bit(id);
        }
        Node* First() const {
            if (!m_dense) return m_sparse.empty() ? nullptr : m_sparse.front().second;
            const unsigned id = Scan(0);
            return id < kNone ? Get(static_cast<WORD>(id)) : nullptr;
        }
        Node* NextAfter(WORD id) const {
            if (!m_dense) {
                const auto it = std::upper_bound(
                    m_sparse.begin(), m_sparse.end(), id,
                    [](WORD v, const std::pair<WORD, Node*>& e) { return v < e.first; });
                return it != m_sparse.end() ? it->second : nullptr;
            }
            const unsigned next = id == 0xFFFF ? kNone : Scan(id + 1u);
            if (next >= kNone) return nullptr;
            Prefetch(next);
            return Get(static_cast<WORD>(next));
        }

    private:
        using Page = std::array<Node*, 256>;
        struct Dense {
            std::array<std::uint64_t, 1024> bits{};
            std::array<std::unique_ptr<Page>, 256> pages;
        };
        using Sparse = std::vector<std::pair<WORD, Node*>>;
        static constexpr size_t kSparseMax = 1024;
        static constexpr unsigned kNone = 0x10000;
        static std::uint64_t Bit(unsigned id) { return std::uint64_t{1} << (id & 63); }

        Sparse::iterator SparseAt(WORD id) {
            return std::lower_bound(
                m_sparse.begin(), m_sparse.end(), id,
                [](const std::pair<WORD, Node*>& e, WORD v) { return e.first < v; });
        }
        Sparse::const_iterator SparseAt(WORD id) const {
            return const_cast<IdIndex*>(this)->SparseAt(id);
        }
        // Built whole before it replaces the vector, so a failed allocation changes nothing.
        void MakeDense() {
            auto dense = std::make_unique<Dense>();
            for (const auto& e : m_sparse) {
                auto& page = dense->pages[e.first >> 8];
                if (!page) page = std::make_unique<Page>();
                (*page)[e.first & 0xFF] = e.second;
                dense->bits[e.first >> 6] |= Bit(e.first);
            }
            m_dense = std::move(dense);
            Sparse().swap(m_sparse);
        }
        // An ascending walk visits nodes in no memory order: keep the nodes a few steps
        // ahead on their way into the cache, found from the bitmap alone.
        void Prefetch(unsigned current) const {
            constexpr int kAhead = 8;
            int steps = 1;
            if (current <= m_walkAt || m_prefetchTo < current) {  // a new walk
                m_prefetchTo = current;
                steps = kAhead;
            }
            m_walkAt = current;
            while (steps-- > 0 && m_prefetchTo < 0xFFFF) {
                const unsigned id = Scan(m_prefetchTo + 1u);
                if (id >= kNone) {
                    m_prefetchTo = 0xFFFF;
                    break;
                }
                m_prefetchTo = id;
                __builtin_prefetch((*m_dense->pages[id >> 8])[id & 0xFF]);
            }
        }
        // The smallest ID >= from that is present, or kNone. Dense form only.
        unsigned Scan(unsigned from) const {
            const auto& bits = m_dense->bits;
            unsigned word = from >> 6;
            std::uint64_t b = bits[word] & (~std::uint64_t{0} << (from & 63));
            while (!b) {
                if (++word == bits.size()) return kNone;
                b = bits[word];
            }
            return word * 64 + static_cast<unsigned>(__builtin_ctzll(b));
        }
        Sparse m_sparse;
        std::unique_ptr<Dense> m_dense;
        mutable unsigned m_walkAt = 0;      // where the ascending walk stood last
        mutable unsigned m_prefetchTo = 0;  // the highest ID prefetched for it
    };

    struct TypeIndex {
        DWORD type = 0;
        Node* head = nullptr;  // first of this type in list order
        Node* tail = nullptr;
        int count = 0;
        IdIndex byId;
        // Free for a walk in list order that sorts chunks by type (the map writer's).
        mutable size_t scratch = 0;
    };

    // A node not (or no longer) in the list goes back to the pool.
    struct NodeDeleter {
        IffChunkList* list;
        void operator()(Node* n) const { list->Destroy(n); }
    };
    using NodePtr = std::unique_ptr<Node, NodeDeleter>;

    IffChunkList() = default;
    ~IffChunkList() {
        Clear();
        if (m_granules) m_granules->Release();
    }
    IffChunkList(const IffChunkList&) = delete;
    IffChunkList& operator=(const IffChunkList&) = delete;

    static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* FromPos(POSITION p) { return reinterpret_cast<Node*>(p); }

    Node* Find(DWORD type, WORD id) const {
        const TypeIndex* t = Type(type);
        return t ? t->byId.Get(id) : nullptr;
    }

    const TypeIndex* Type(DWORD type) const {
        const TypeIndex*& recent = m_recent[RecentSlot(type)];
        if (recent && recent->type == type) return recent;
        const auto it = types.find(type);
        if (it == types.end()) return nullptr;
        recent = &it->second;
        return recent;
    }

    // A new chunk's node, its chunk as a newly made one (without a buffer when no memory
    // is left for it). Throws std::bad_alloc.
    NodePtr NewNode() {
        void* place = m_free;
        if (place) {
            std::memcpy(&m_free, place, sizeof m_free);
        } else {
            if (m_slabUsed == m_slabSize) AddSlab();
            place = &m_slabs.back()[m_slabUsed++];
        }
        return NodePtr(new (place) Node(TakeGranule()), NodeDeleter{this});
    }

    // Links a node at the end under its chunk's type and ID; the caller has removed any
    // chunk with the same pair. Throws std::bad_alloc and then leaves the list unchanged
    // (the node is destroyed).
    Node* Append(NodePtr node) {
        const DWORD type = node->chunk.m_dwType;
        node->id = node->chunk.m_wID;
        TypeIndex* t = const_cast<TypeIndex*>(Type(type));
        bool created = false;
        if (!t) {
            t = &types.try_emplace(type).first->second;
            t->type = type;
            created = true;
        }
        try {
            t->byId.Set(node->id, node.get());
        } catch (...) {
            if (created) EraseType(type);
            throw;
        }
        Node* n = node.release();
        n->typeIndex = t;
        LinkAtEnd(n);
        ++t->count;
        ++count;
        return n;
    }

    // Puts a new node in the place of an old one with the same type and ID, at the end of
    // the list, and destroys the old one. Allocates nothing.
    Node* Replace(Node* old, NodePtr node) {
        Unlink(old);
        Node* n = node.release();
        n->id = old->id;
        n->typeIndex = old->typeIndex;
        n->typeIndex->byId.Set(n->id, n);  // the entry exists already: nothing to allocate
        LinkAtEnd(n);
        Destroy(old);
        return n;
    }

    // Moves a node to the end of the list (and of its type's list), as removing and
    // adding it again would.
    void MoveToEnd(Node* n) {
        if (n == tail) return;
        Unlink(n);
        LinkAtEnd(n);
    }

    // Unlinks and destroys the node and its chunk.
    void Remove(Node* n) {
        Unlink(n);
        TypeIndex& t = *n->typeIndex;
        t.byId.Erase(n->id);
        --count;
        if (--t.count == 0) EraseType(t.type);
        Destroy(n);
    }

    // The distinct types in order of their first chunk in the list.
    void TypesInListOrder(std::vector<DWORD>& out) const {
        std::vector<std::pair<std::uint64_t, DWORD>> firsts;
        firsts.reserve(types.size());
        for (const auto& t : types) firsts.emplace_back(t.second.head->seq, t.first);
        std::sort(firsts.begin(), firsts.end());
        out.clear();
        for (const auto& f : firsts) out.push_back(f.second);
    }

    // Destroys every chunk; the nodes' memory goes in one piece per slab.
    void Clear() {
        for (Node* n = head; n;) {
            Node* next = n->next;
            n->~Node();
            n = next;
        }
        m_slabs.clear();
        m_slabUsed = m_slabSize = 0;
        m_free = nullptr;
        head = tail = nullptr;
        count = 0;
        m_recent.fill(nullptr);
        types.clear();
    }

    Node* head = nullptr;
    Node* tail = nullptr;
    int count = 0;
    std::unordered_map<DWORD, TypeIndex> types;

private:
    struct alignas(Node) Slot {
        unsigned char bytes[sizeof(Node)];
    };
    static constexpr size_t kFirstSlab = 16;
    static constexpr size_t kLargestSlab = 4096;
    static constexpr size_t kFirstGranules = 64;
    static constexpr size_t kMostGranules = 16384;  // 1 MiB
    static constexpr size_t kGranule = CIffChunk::kGranule;

    void AddSlab() {
        const size_t size = m_slabSize ? std::min(m_slabSize * 2, kLargestSlab) : kFirstSlab;
        m_slabs.reserve(m_slabs.size() + 1);
        m_slabs.emplace_back(new Slot[size]);
        IffPrepareForWriting(m_slabs.back().get(), size * sizeof(Slot));
        m_slabSize = size;
        m_slabUsed = 0;
    }

    // A destroyed node's place heads the free list.
    void Destroy(Node* n) {
        n->~Node();
        std::memcpy(static_cast<void*>(n), &m_free, sizeof m_free);
        m_free = n;
    }

    // 64 zero bytes of their own for a new chunk; NULL when memory runs out.
    CIffChunkBuffer TakeGranule() {
        if (!m_granules || m_granulesUsed == m_granuleCount) {
            const size_t count =
                m_granuleCount ? std::min(m_granuleCount * 2, kMostGranules) : kFirstGranules;
            IffSharedBlock* block = IffSharedBlock::Create(count * kGranule, true);
            if (!block) return CIffChunkBuffer();
            if (m_granules) m_granules->Release();
            m_granules = block;
            m_granuleCount = count;
            m_granulesUsed = 0;
        }
        return CIffChunkBuffer(m_granules, m_granules->Data() + kGranule * m_granulesUsed++);
    }

    void EraseType(DWORD type) {
        const TypeIndex*& recent = m_recent[RecentSlot(type)];
        if (recent && recent->type == type) recent = nullptr;
        types.erase(type);
    }

    void Unlink(Node* n) {
        (n->prev ? n->prev->next : head) = n->next;
        (n->next ? n->next->prev : tail) = n->prev;
        TypeIndex& t = *n->typeIndex;
        (n->prevOfType ? n->prevOfType->nextOfType : t.head) = n->nextOfType;
        (n->nextOfType ? n->nextOfType->prevOfType : t.tail) = n->prevOfType;
        n->prev = n->next = n->prevOfType = n->nextOfType = nullptr;
    }

    void LinkAtEnd(Node* n) {
        TypeIndex& t = *n->typeIndex;
        n->seq = ++m_nextSeq;
        n->prev = tail;
        (tail ? tail->next : head) = n;
        tail = n;
        n->prevOfType = t.tail;
        (t.tail ? t.tail->nextOfType : t.head) = n;
        t.tail = n;
    }

    // The types asked for lately, by a hash of the type: chunks of a few types in turn
    // are common, and each would miss a cache of one.
    static size_t RecentSlot(DWORD type) { return static_cast<DWORD>(type * 0x9E3779B1u) >> 29; }
    mutable std::array<const TypeIndex*, 8> m_recent{};
    std::uint64_t m_nextSeq = 0;
    std::vector<std::unique_ptr<Slot[]>> m_slabs;
    size_t m_slabSize = 0;  // nodes in the last slab
    size_t m_slabUsed = 0;  // of which handed out
    void* m_free = nullptr;
    IffSharedBlock* m_granules = nullptr;  // the list holds one share while it hands out
    size_t m_granuleCount = 0;
    size_t m_granulesUsed = 0;
};
