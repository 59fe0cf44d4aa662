! Reference EXCEED, MINPOLY and SHFTPOLY in REAL arithmetic, operations in the
! order of their definition. Reads cases from standard input, reals as their
! 32-bit patterns:
!   1 CLmaxS CLminN CLmaxN N S          -> 1 region ExN ExS
!   2 na nb xa(1..na) ya xb(1..nb) yb   -> 2 nout xout(1) yout(1) ...
!   3 n d x(1..n) y(1..n)               -> 3 nout xout(1) yout(1) ...
! SHFTPOLY's stop is written as nout = -1.
program oracle_clf
  implicit none
  integer, parameter :: mx = 64
  integer :: kind, ios, ia(5), na, nb, n, nout, region, i, ib(4 * mx + 3)
  real :: r(5), exn, exs, xa(mx), ya(mx), xb(mx), yb(mx), xo(4 * mx), yo(4 * mx), d
  character(len=8192) :: line
  do
    read (*, '(a)', iostat=ios) line
    if (ios /= 0) exit
    read (line, *) kind
    if (kind == 1) then
      read (line, *) kind, ia
      r = transfer(ia, 1.0, 5)
      call exceed(r(1), r(2), r(3), r(4), r(5), exn, exs, region)
      write (*, '(*(i0,1x))') 1, region, transfer(exn, 0), transfer(exs, 0)
    else if (kind == 2) then
      read (line, *) kind, na, nb, ib(1:2 * (na + nb))
      xa(1:na) = transfer(ib(1:na), 1.0, na)
      ya(1:na) = transfer(ib(na + 1:2 * na), 1.0, na)
      xb(1:nb) = transfer(ib(2 * na + 1:2 * na + nb), 1.0, nb)
      yb(1:nb) = transfer(ib(2 * na + nb + 1:2 * (na + nb)), 1.0, nb)
      call minpoly(na, xa, ya, nb, xb, yb, nout, xo, yo)
      write (*, '(*(i0,1x))') 2, nout, (transfer(xo(i), 0), transfer(yo(i), 0), i = 1, nout)
    else
      read (line, *) kind, n, ib(1:2 * n + 1)
      d = transfer(ib(1), 1.0)
      xa(1:n) = transfer(ib(2:n + 1), 1.0, n)
      ya(1:n) = transfer(ib(n + 2:2 * n + 1), 1.0, n)
      call shftpoly(n, xa, ya, d, nout, xo, yo)
      write (*, '(*(i0,1x))') 3, nout, (transfer(xo(i), 0), transfer(yo(i), 0), i = 1, max(nout, 0))
    end if
  end do
contains
  subroutine exceed(a, b, c, xn, s, exn, exs, region)
    real, intent(in) :: a, b, c, xn, s
    real, intent(out) :: exn, exs
    integer, intent(out) :: region
    real :: dn, dd, p, xnp, sp
    if (a < 0.0 .or. b < 0.0 .or. c < 0.0) then
      exn = -1.0
      exs = -1.0
      region = -1
      return
    end if
    dn = c - b
    if (a >= s .and. c >= xn .and. -(dn * s) >= (xn - c) * a) then
      exn = 0.0
      exs = 0.0
      region = 0
    else if (b >= xn) then
      exn = 0.0
      exs = s - a
      region = 4
    else if ((xn - c) * dn >= a * s) then
      exn = xn - c
      exs = s
      region = 1
    else if (a * (s - a) >= dn * (xn - b)) then
      exn = xn - b
      exs = s - a
      region = 3
    else
      dd = dn * dn + a * a
      p = dn * xn + (-a) * s
      xnp = (dn * p + (-a) * (-(a * c))) / dd
      sp = ((-a) * p - dn * (-(a * c))) / dd
      exn = xn - xnp
      exs = s - sp
      region = 2
    end if
  end subroutine exceed

  ! j with v(j) <= t < v(j+1) (ascending v), 0 before v(1), n from v(n) on.
  integer function locate(n, v, t)
    integer, intent(in) :: n
    real, intent(in) :: v(n), t
    integer :: jl, ju, jm
    logical :: asc
    asc = v(n) >= v(1)
    jl = 0
    ju = n + 1
    do while (ju - jl >= 2)
      jm = (ju + jl) / 2
      if ((t >= v(jm)) .eqv. asc) then
        jl = jm
      else
        ju = jm
      end if
    end do
    locate = jl
  end function locate

  real function valat(n, x, y, t)
    integer, intent(in) :: n
    real, intent(in) :: x(n), y(n), t
    integer :: j
    j = locate(n, x, t)
    if (j < 1) then
      valat = y(1)
    else if (j >= n) then
      valat = y(n)
    else
      valat = y(j) + ((y(j + 1) - y(j)) * (t - x(j))) / (x(j + 1) - x(j))
    end if
  end function valat

  subroutine minpoly(na, xa, ya, nb, xb, yb, nout, xout, yout)
    integer, intent(in) :: na, nb
    real, intent(in) :: xa(na), ya(na), xb(nb), yb(nb)
    integer, intent(out) :: nout
    real, intent(out) :: xout(*), yout(*)
    real :: x(2 * mx), fa(2 * mx), fb(2 * mx), t(3), dp, dq
    integer :: where(mx), m, i, j, k, hit
    nout = 0
    if (na < 1 .or. nb < 1) return
    m = 0
    where = 0
    do i = 1, na
      if (xa(i) < xb(1)) cycle
      if (xa(i) > xb(nb)) exit
      m = m + 1
      x(m) = xa(i)
      fa(m) = ya(i)
      fb(m) = -1.0
      where(i) = m
    end do
    do j = 1, nb
      if (xb(j) < xa(1)) cycle
      if (xb(j) > xa(na)) exit
      hit = 0
      do i = 1, na
        if (xa(i) == xb(j)) then
          hit = i
          exit
        end if
      end do
      if (hit > 0) then
        if (where(hit) > 0) then
          fb(where(hit)) = yb(j)
          cycle
        end if
      end if
      m = m + 1
      x(m) = xb(j)
      fa(m) = -1.0
      fb(m) = yb(j)
    end do
    if (m == 0) return
    ! stable insertion sort on x
    do k = 2, m
      t = (/x(k), fa(k), fb(k)/)
      i = k - 1
      do while (i >= 1)
        if (.not. (t(1) < x(i))) exit
        x(i + 1) = x(i)
        fa(i + 1) = fa(i)
        fb(i + 1) = fb(i)
        i = i - 1
      end do
      x(i + 1) = t(1)
      fa(i + 1) = t(2)
      fb(i + 1) = t(3)
    end do
    do k = 1, m
      if (fa(k) < 0.0) fa(k) = valat(na, xa, ya, x(k))
      if (fb(k) < 0.0) fb(k) = valat(nb, xb, yb, x(k))
    end do
    nout = 1
    xout(1) = x(1)
    yout(1) = fa(1)
    if (fb(1) < fa(1)) yout(1) = fb(1)
    do k = 2, m
      dp = fa(k - 1) - fb(k - 1)
      dq = fa(k) - fb(k)
      if (dp * dq < 0.0) then
        nout = nout + 1
        xout(nout) = x(k - 1) + dp * (x(k) - x(k - 1)) / (dp - dq)
        yout(nout) = (fa(k - 1) * fb(k) - fb(k - 1) * fa(k)) / (dp - dq)
      end if
      nout = nout + 1
      xout(nout) = x(k)
      yout(nout) = fa(k)
      if (fb(k) < fa(k)) yout(nout) = fb(k)
    end do
  end subroutine minpoly

  subroutine shftpoly(n, x, y, d, nout, xout, yout)
    integer, intent(in) :: n
    real, intent(in) :: x(n), y(n), d
    integer, intent(out) :: nout
    real, intent(out) :: xout(*), yout(*)
    integer :: i
    nout = 0
    if (n == 0) return
    if (y(1) < d) return
    if (d <= 0.0) then
      xout(1:n) = x
      yout(1:n) = y
      nout = n
      return
    end if
    xout(1) = x(1)
    yout(1) = y(1) - d
    nout = 1
    if (n == 1) return
    do i = 2, n
      if (y(i) > d) then
        xout(i) = x(i)
        yout(i) = y(i) - d
      else
        xout(i) = x(i) + ((x(i - 1) - x(i)) / (y(i - 1) - y(i))) * (0.0 - (y(i) - d))
        yout(i) = 0.0
        nout = i
        return
      end if
    end do
    nout = -1
  end subroutine shftpoly
end program oracle_clf
