#pragma once

#include "AlignedArray.h"

#include <cstring>
#include <utility>

namespace tovalin
{
/** A fixed-size, 16-byte aligned, zero-filled array of T. No bounds checks.
    Either owns its storage or views storage owned elsewhere. */
template <typename T>
class Vector
{
public:
    /** Thrown for an empty shape. */
    struct BadSize
    {
    };

    explicit Vector (int size) : size_ (size), owned_ (true)
    {
        if (size <= 0)
            throw BadSize();
        data_ = static_cast<T*> (allocateAligned (sizeof (T) * (std::size_t) size));
        std::memset (static_cast<void*> (data_), 0, sizeof (T) * (std::size_t) size);
    }

    /** A view of size elements at data; the caller keeps data alive and aligned. */
    Vector (T* data, int size) : data_ (data), size_ (size), owned_ (false)
    {
        if (size <= 0)
            throw BadSize();
    }

    Vector (const Vector& other) : Vector (other.size_)
    {
        std::memcpy (static_cast<void*> (data_), other.data_, sizeof (T) * (std::size_t) size_);
    }

    Vector (Vector&& other) noexcept
        : data_ (std::exchange (other.data_, nullptr)), size_ (std::exchange (other.size_, 0)),
          owned_ (std::exchange (other.owned_, false))
    {
    }

    Vector& operator= (const Vector& other)
    {
        if (this != &other)
        {
            Vector copy (other);
            swap (copy);
        }
        return *this;
    }

    Vector& operator= (Vector&& other) noexcept
    {
        Vector moved (std::move (other));
        swap (moved);
        return *this;
    }

    ~Vector()
    {
        if (owned_)
            freeAligned (data_);
    }

    void swap (Vector& other) noexcept
    {
        std::swap (data_, other.data_);
        std::swap (size_, other.size_);
        std::swap (owned_, other.owned_);
    }

    int size() const noexcept { return size_; }
    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    T& operator[] (int i) noexcept { return data_[i]; }
    const T& operator[] (int i) const noexcept { return data_[i]; }
    bool ownsData() const noexcept { return owned_; }

    void clear() noexcept { std::memset (static_cast<void*> (data_), 0, sizeof (T) * (std::size_t) size_); }

private:
    T* data_ = nullptr;
    int size_ = 0;
    bool owned_ = false;
};

/** A rows x cols row-major matrix of T, 16-byte aligned, not zero-filled.
    Row j starts at data() + j * cols(). */
template <typename T>
class Matrix
{
public:
    /** Thrown for an empty shape. */
    struct BadSize
    {
    };

    Matrix (int rows, int cols) : rows_ (rows), cols_ (cols), owned_ (true)
    {
        if (rows <= 0 || cols <= 0)
            throw BadSize();
        data_ = static_cast<T*> (allocateAligned (sizeof (T) * (std::size_t) rows * (std::size_t) cols));
    }

    Matrix (T* data, int rows, int cols) : data_ (data), rows_ (rows), cols_ (cols), owned_ (false)
    {
        if (rows <= 0 || cols <= 0)
            throw BadSize();
    }

    Matrix (const Matrix& other) : Matrix (other.rows_, other.cols_)
    {
        std::memcpy (static_cast<void*> (data_), other.data_, sizeof (T) * (std::size_t) rows_ * (std::size_t) cols_);
    }

    Matrix (Matrix&& other) noexcept
        : data_ (std::exchange (other.data_, nullptr)), rows_ (std::exchange (other.rows_, 0)),
          cols_ (std::exchange (other.cols_, 0)), owned_ (std::exchange (other.owned_, false))
    {
    }

    Matrix& operator= (const Matrix& other)
    {
        if (this != &other)
        {
            Matrix copy (other);
            swap (copy);
        }
        return *this;
    }

    Matrix& operator= (Matrix&& other) noexcept
    {
        Matrix moved (std::move (other));
        swap (moved);
        return *this;
    }

    ~Matrix()
    {
        if (owned_)
            freeAligned (data_);
    }

    void swap (Matrix& other) noexcept
    {
        std::swap (data_, other.data_);
        std::swap (rows_, other.rows_);
        std::swap (cols_, other.cols_);
        std::swap (owned_, other.owned_);
    }

    int rows() const noexcept { return rows_; }
    int cols() const noexcept { return cols_; }
    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    T* row (int j) noexcept { return data_ + (std::size_t) j * (std::size_t) cols_; }
    const T* row (int j) const noexcept { return data_ + (std::size_t) j * (std::size_t) cols_; }
    T& operator() (int j, int i) noexcept { return row (j)[i]; }
    const T& operator() (int j, int i) const noexcept { return row (j)[i]; }
    bool ownsData() const noexcept { return owned_; }

private:
    T* data_ = nullptr;
    int rows_ = 0;
    int cols_ = 0;
    bool owned_ = false;
};

} // namespace tovalin
