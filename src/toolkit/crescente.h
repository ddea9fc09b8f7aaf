#pragma once
// A growable array of plain values, for the big buffers of a result. It
// grows with realloc, which moves a large block by remapping its pages: what
// is already written is neither copied nor touched again, and the old and new
// blocks never both take memory. (std::vector allocates a new block and
// copies: at a few hundred megabytes that is a long pause and, for a while,
// twice the memory.)
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

template <typename T> class Crescente {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    Crescente() = default;
    ~Crescente() { std::free(dati_); }
    Crescente(const Crescente&) = delete;
    Crescente& operator=(const Crescente&) = delete;

    std::size_t size() const { return usati_; }
    std::size_t capacity() const { return capienza_; }
    bool empty() const { return usati_ == 0; }
    const T* data() const { return dati_; }
    const T& operator[](std::size_t i) const { return dati_[i]; }
    const T& back() const { return dati_[usati_ - 1]; }

    void reserve(std::size_t n) {
        if (n > capienza_) {
            Rialloca(n);
        }
    }
    void push_back(T v) {
        Spazio(1);
        dati_[usati_++] = v;
    }
    void append(const T* p, std::size_t n) {
        Spazio(n);
        if (n > 0) {
            std::memcpy(dati_ + usati_, p, n * sizeof(T));
        }
        usati_ += n;
    }
    void append(std::size_t n, T v) {
        Spazio(n);
        std::fill_n(dati_ + usati_, n, v);
        usati_ += n;
    }
    // Empties the array and gives its memory back.
    void release() {
        std::free(dati_);
        dati_ = nullptr;
        usati_ = 0;
        capienza_ = 0;
    }

  private:
    void Spazio(std::size_t altri) {
        if (capienza_ - usati_ < altri) {
            Rialloca(std::max({usati_ + altri, 2 * capienza_, std::size_t(4096) / sizeof(T)}));
        }
    }
    void Rialloca(std::size_t n) {
        void* p = std::realloc(dati_, n * sizeof(T));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        dati_ = static_cast<T*>(p);
        capienza_ = n;
    }

    T* dati_ = nullptr;
    std::size_t usati_ = 0;
    std::size_t capienza_ = 0;
};
