! Reference EXCEED, MINPOLY and SHFTPOLY in REAL arithmetic, operations in the
! order of their definition. Cases from standard input, reals as 32-bit patterns:
!   1 CLmaxS CLminN CLmaxN N S          -> 1 region ExN ExS
!   2 na nb xa(1..na) ya xb(1..nb) yb   -> 2 nout xout(1) yout(1) ...
!   3 n d x(1..n) y(1..n)               -> 3 nout xout(1) yout(1) ...
! SHFTPOLY's stop is written as nout = -1.
program oracle_clf
  implicit none
  integer, parameter :: mx = 64
  integer :: kind, ios, na, nb, n, nout, region, i, ib(4 * mx + 3)
  real :: r(4 * mx + 3), exn, exs, xo(4 * mx), yo(4 * mx)
  character(len=8192) :: line
  do
    read (*, '(a)', iostat=ios) line
    if (ios /= 0) exit
    read (line, *) kind
    if (kind == 1) then
      read (line, *) kind, ib(1:5)
      r = transfer(ib, 1.0, size(ib))
      call exceed(r(1), r(2), r(3), r(4), r(5), exn, exs, region)
      write (*, '(*(i0,1x))') 1, region, transfer(exn, 0), transfer(exs, 0)
      cycle
    else if (kind == 2) then
      read (line, *) kind, na, nb, ib(1:2 * (na + nb))
      r = transfer(ib, 1.0, size(ib))
      call minpoly(na, r(1:na), r(na + 1:2 * na), nb, r(2 * na + 1:2 * na + nb), r(2 * na + nb + 1:), nout, xo, yo)
    else
      read (line, *) kind, n, ib(1:2 * n + 1)
      r = transfer(ib, 1.0, size(ib))
      call shftpoly(n, r(2:n + 1), r(n + 2:2 * n + 1), r(1), nout, xo, yo)
    end if
    write (*, '(*(i0,1x))') kind, nout, (transfer(xo(i), 0), transfer(yo(i), 0), i = 1, max(nout, 0))
  end do
contains
  subroutine exceed(a, b, c, xn, s, exn, exs, region)
    real :: a, b, c, xn, s, exn, exs, dn, dd, p
    integer :: region
    dn = c - b
    if (a < 0.0 .or. b < 0.0 .or. c < 0.0) then
      exn = -1.0; exs = -1.0; region = -1
    else if (a >= s .and. c >= xn .and. -(dn * s) >= (xn - c) * a) then
      exn = 0.0; exs = 0.0; region = 0
    else if (b >= xn) then
      exn = 0.0; exs = s - a; region = 4
    else if ((xn - c) * dn >= a * s) then
      exn = xn - c; exs = s; region = 1
    else if (a * (s - a) >= dn * (xn - b)) then
      exn = xn - b; exs = s - a; region = 3
    else
      dd = dn * dn + a * a
      p = dn * xn + (-a) * s
      exn = xn - (dn * p + (-a) * (-(a * c))) / dd
      exs = s - ((-a) * p - dn * (-(a * c))) / dd
      region = 2
    end if
  end subroutine exceed

  ! Value of the polyline at t (x ascending), held constant outside its range.
  real function valat(n, x, y, t)
    integer :: n, j
    real :: x(n), y(n), t
    j = count(x <= t)
    if (j < 1) then
      valat = y(1)
    else if (j >= n) then
      valat = y(n)
    else
      valat = y(j) + ((y(j + 1) - y(j)) * (t - x(j))) / (x(j + 1) - x(j))
    end if
  end function valat

  subroutine minpoly(na, xa, ya, nb, xb, yb, nout, xout, yout)
    integer :: na, nb, nout, pos(0:mx), m, i, j, k
    real :: xa(na), ya(na), xb(nb), yb(nb), xout(*), yout(*), t(3), dp, dq
    real :: w(3, 2 * mx)  ! rows: x, A's value, B's value (-1 until known)
    nout = 0
    if (na < 1 .or. nb < 1) return
    m = 0
    pos = 0
    do i = 1, na
      if (xa(i) < xb(1)) cycle
      if (xa(i) > xb(nb)) exit
      m = m + 1
      w(:, m) = (/xa(i), ya(i), -1.0/)
      pos(i) = m
    end do
    do j = 1, nb
      if (xb(j) < xa(1)) cycle
      if (xb(j) > xa(na)) exit
      i = findloc(xa, xb(j), 1)
      if (pos(i) > 0) then
        w(3, pos(i)) = yb(j)
      else
        m = m + 1
        w(:, m) = (/xb(j), -1.0, yb(j)/)
      end if
    end do
    if (m == 0) return
    do k = 2, m  ! stable insertion sort on x
      t = w(:, k)
      i = k - 1
      do while (i >= 1)
        if (.not. (t(1) < w(1, i))) exit
        w(:, i + 1) = w(:, i)
        i = i - 1
      end do
      w(:, i + 1) = t
    end do
    do k = 1, m
      if (w(2, k) < 0.0) w(2, k) = valat(na, xa, ya, w(1, k))
      if (w(3, k) < 0.0) w(3, k) = valat(nb, xb, yb, w(1, k))
    end do
    do k = 1, m
      if (k > 1) then
        dp = w(2, k - 1) - w(3, k - 1)
        dq = w(2, k) - w(3, k)
        if (dp * dq < 0.0) then
          nout = nout + 1
          xout(nout) = w(1, k - 1) + dp * (w(1, k) - w(1, k - 1)) / (dp - dq)
          yout(nout) = (w(2, k - 1) * w(3, k) - w(3, k - 1) * w(2, k)) / (dp - dq)
        end if
      end if
      nout = nout + 1
      xout(nout) = w(1, k)
      yout(nout) = merge(w(3, k), w(2, k), w(3, k) < w(2, k))
    end do
  end subroutine minpoly

  subroutine shftpoly(n, x, y, d, nout, xout, yout)
    integer :: n, nout, i
    real :: x(n), y(n), d, xout(*), yout(*)
    nout = 0
    if (n == 0) return
    if (y(1) < d) return
    nout = n
    xout(1:n) = x
    yout(1:n) = y
    if (d <= 0.0) return
    yout(1) = y(1) - d
    nout = 1
    if (n == 1) return
    do i = 2, n
      if (y(i) <= d) then
        xout(i) = x(i) + ((x(i - 1) - x(i)) / (y(i - 1) - y(i))) * (0.0 - (y(i) - d))
        yout(i) = 0.0
        nout = i
        return
      end if
      xout(i) = x(i)
      yout(i) = y(i) - d
    end do
    nout = -1
  end subroutine shftpoly
end program oracle_clf
