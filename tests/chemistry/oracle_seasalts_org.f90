! Reference SEASALTS and ORGALL in the models' REAL arithmetic, operations in
! the order of their definition. Cases from standard input, reals as 32-bit patterns:
!   1 iref dep(4..8)                                    -> 1 ssdep(1..9)
!   2 H Al par(19..25) par(31) par(32)                  -> 2 org(0..5) alorg(1..3) alchg
! org starts filled with a marker pattern so untouched elements show.
program oracle_seasalts_org
  implicit none
  integer :: kind, iref, ios, idep(5), ich(11)
  real :: dep(9), ssdep(9), par(40), org(0:5), alorg(3), alchg
  character(len=512) :: line
  do
    read (*, '(a)', iostat=ios) line
    if (ios /= 0) exit
    read (line, *) kind
    if (kind == 1) then
      read (line, *) kind, iref, idep
      dep = 0.0
      dep(4:8) = transfer(idep, 1.0, 5)
      call seasalts(iref, dep, ssdep)
      write (*, '(*(i0,1x))') 1, transfer(ssdep, 0, 9)
    else
      read (line, *) kind, ich
      par = 0.0
      par(19:25) = transfer(ich(3:9), 1.0, 7)
      par(31:32) = transfer(ich(10:11), 1.0, 2)
      org = transfer(123456789, 1.0)
      call orgall(transfer(ich(1), 1.0), transfer(ich(2), 1.0), par, org, alorg, alchg)
      write (*, '(*(i0,1x))') 2, transfer(org, 0, 6), transfer(alorg, 0, 3), transfer(alchg, 0)
    end if
  end do
contains
  subroutine seasalts(iref, dep, ssdep)
    integer :: iref
    real :: dep(9), ssdep(9)
    real, parameter :: share(5) = (/0.53545, 0.45916, 0.10467, 0.01997, 0.00972/)
    integer, parameter :: ipos(5) = (/8, 7, 5, 4, 6/)
    real :: s
    ssdep = 0.0
    if (iref < 1 .or. iref > 5) return
    s = dep(ipos(iref)) / share(iref)
    ssdep(ipos) = share * s
    ssdep(1) = ((((ssdep(7) - ssdep(8)) + ssdep(5)) + ssdep(4)) + ssdep(6))
  end subroutine seasalts

  subroutine orgall(h, al, par, org, alorg, alchg)
    real :: h, al, par(40), org(0:5), alorg(3), alchg, ph, xk, a, u, v, e, d, p, c
    integer :: m, k
    logical :: alterm
    m = nint(par(20))
    if (m >= 0) org(0:m) = 0.0
    alorg = 0.0
    alchg = 0.0
    if (m < 0 .or. par(19) <= 0.0 .or. h <= 0.0) return
    if (m == 0) then
      ph = 3.0 - log10(h)
      xk = 10.0 ** ((3.0 - par(21)) - ph * (par(22) - par(23) * ph))
      org(1) = (par(19) * xk) / (h + xk)
      org(0) = org(1)
      return
    end if
    alterm = al > 0.0 .and. (par(31) > 0.0 .or. par(32) > 0.0) .and. (m == 2 .or. m == 3)
    u = 0.0
    v = 0.0
    e = 0.0
    a = al / 3.0
    if (alterm .and. m == 2) then
      u = (par(31) * a) / ((h * h) * h)
      v = (a * par(32)) / h
      e = ((u + v) * par(21)) / h
    else if (alterm) then
      u = par(31) * a
      v = a * (par(32) * h)
      e = (((par(21) * par(22)) * par(23)) * (u + v)) / ((h * h) * h)
    end if
    d = e + 1.0
    p = 1.0
    do k = 1, m
      p = (p * par(20 + k)) / h
      d = d + p
    end do
    c = par(19) / d
    do k = 1, m
      c = (c * par(20 + k)) / h
      org(k) = c
    end do
    if (alterm .and. m == 2) then
      alorg(1) = u * org(1)
      alorg(3) = v * org(1)
    else if (alterm) then
      alorg(2) = u * org(3)
      alorg(3) = v * org(3)
    end if
    if (alterm) alchg = alorg(3) - alorg(1)
    org(0) = org(1)
    do k = 2, m
      org(k) = real(k) * org(k)
      org(0) = org(0) + org(k)
    end do
  end subroutine orgall
end program oracle_seasalts_org
