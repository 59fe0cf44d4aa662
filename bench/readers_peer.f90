! The peer of the readers' benchmark: gfortran's list-directed READ of the
! same files, one READ per line, after `nskip` header lines. Each returns the
! sum of the last value read from every line, so that nothing is left unread.

! A series file: the year and ncol values per line.
function peer_series(path, plen, nskip, ncol) bind(C, name="peer_series") result(total)
  use iso_c_binding, only: c_char, c_int, c_double
  implicit none
  integer(c_int), value :: plen, nskip, ncol
  character(kind=c_char), intent(in) :: path(plen)
  real(c_double) :: total
  character(len=plen) :: fname
  integer :: u, iy, ios, i
  real :: v(64)
  do i = 1, plen
    fname(i:i) = path(i)
  end do
  total = 0.0d0
  open (newunit=u, file=fname, status='old', action='read')
  do i = 1, nskip
    read (u, *)
  end do
  do
    read (u, *, iostat=ios) iy, (v(i), i = 1, ncol)
    if (ios /= 0) exit
    total = total + dble(v(ncol))
  end do
  close (u)
end function peer_series

! An observation file or a monitoring file: nval reals per line.
function peer_reals(path, plen, nskip, nval) bind(C, name="peer_reals") result(total)
  use iso_c_binding, only: c_char, c_int, c_double
  implicit none
  integer(c_int), value :: plen, nskip, nval
  character(kind=c_char), intent(in) :: path(plen)
  real(c_double) :: total
  character(len=plen) :: fname
  integer :: u, ios, i
  real :: v(128)
  do i = 1, plen
    fname(i:i) = path(i)
  end do
  total = 0.0d0
  open (newunit=u, file=fname, status='old', action='read')
  do i = 1, nskip
    read (u, *)
  end do
  do
    read (u, *, iostat=ios) (v(i), i = 1, nval)
    if (ios /= 0) exit
    total = total + dble(v(nval))
  end do
  close (u)
end function peer_reals
